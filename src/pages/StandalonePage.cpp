#include "pages/StandalonePage.h"

#include <algorithm>

namespace pixolane::pages {

namespace {

// A relative address, percent-encoded like the gallery page's. A colon in
// the first segment (a page name "x:y") would make it read as a scheme, so
// such an address starts with "./".
QString address(const QString& path) {
  const QString encoded = escapeUrl(path);
  const qsizetype colon = encoded.indexOf(QLatin1Char(':'));
  const qsizetype slash = encoded.indexOf(QLatin1Char('/'));
  return colon >= 0 && (slash < 0 || colon < slash) ? QStringLiteral("./") + encoded : encoded;
}

// The file name without its extension: what a picture without a caption is
// called.
QString baseName(const QString& fileName) {
  const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
  return dot > 0 ? fileName.left(dot) : fileName;
}

// An address inside srcset, where a comma would split the list.
QString candidate(const QString& path) {
  return address(path).replace(QLatin1Char(','), QLatin1String("%2C"));
}

// The cards are all of one shape (the box of the largest thumbnail, the
// pictures cropped to it), so rows line up; at least two columns on a phone,
// wider columns on a wide screen. The colours keep 4.5:1 and more, light or
// dark. The viewer lets vertical pans and zoom through, takes horizontal
// swipes for itself, and nothing scrolls the page sideways into the browser's
// "back" gesture.
const char* const kStyle = R"css(*,*::before,*::after{box-sizing:border-box}
html{-webkit-text-size-adjust:100%;text-size-adjust:100%;overscroll-behavior-x:none;color-scheme:light dark}
body{margin:0;padding:12px 12px 24px;background:#f2f1ee;color:#1d1d1f;font:16px/1.4 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",Arial,sans-serif;overscroll-behavior-x:none}
h1{margin:8px auto 18px;max-width:1800px;font-size:clamp(1.4rem,5vw,2.2rem);font-weight:600;text-align:center;overflow-wrap:anywhere}
.galerie{--c:@CELL@px;list-style:none;margin:0 auto;padding:0;max-width:1800px;display:grid;grid-template-columns:repeat(auto-fill,minmax(min(calc(50% - 5px),var(--c)),1fr));gap:10px}
@media (min-width:1200px){.galerie{--c:@WIDE@px}}
.galerie li{margin:0;padding:6px;background:#fff;border-radius:8px;box-shadow:0 1px 3px rgba(0,0,0,.12);min-width:0}
.galerie a{display:block;border-radius:4px}
.galerie a:focus-visible{outline:3px solid #1a73e8;outline-offset:2px}
.galerie img{display:block;width:100%;height:auto;aspect-ratio:@RATIO@;object-fit:cover;border-radius:3px;background:#e4e2dd}
.galerie a:hover img{opacity:.85}
.nom{display:block;margin-top:6px;font-size:.8rem;color:#4a4a4a;text-align:center;overflow-wrap:anywhere}
footer{margin-top:28px;text-align:center;font-size:.75rem;color:#5c5c5c}
@media (prefers-color-scheme:dark){body{background:#161616;color:#ececec}.galerie li{background:#242424;box-shadow:none}.galerie img{background:#333}.nom{color:#c8c8c8}footer{color:#a8a8a8}.galerie a:focus-visible{outline-color:#8ab4f8}}
body.ouverte{overflow:hidden}
.visionneuse{position:fixed;top:0;right:0;bottom:0;left:0;z-index:10;display:flex;align-items:center;justify-content:center;padding:56px 8px 12px;background:rgba(12,12,12,.96);color:#eee;touch-action:pan-y pinch-zoom;overscroll-behavior:contain}
.visionneuse[hidden]{display:none}
.visionneuse figure{margin:0;display:flex;flex-direction:column;align-items:center;max-width:100%}
.visionneuse figure img{display:block;max-width:calc(100vw - 16px);max-height:calc(100vh - 136px);width:auto;height:auto;object-fit:contain;box-shadow:0 4px 24px rgba(0,0,0,.5)}
.visionneuse figcaption{margin-top:10px;font-size:.95rem;text-align:center;overflow-wrap:anywhere}
.visionneuse .date{display:block;font-size:.8rem;color:#c8c8c8}
.visionneuse .position{position:absolute;top:16px;left:16px;margin:0;font-size:.9rem;color:#ddd}
.visionneuse button{position:absolute;width:48px;height:48px;padding:0;border:0;border-radius:50%;font:32px/48px sans-serif;color:#fff;background:rgba(255,255,255,.16);cursor:pointer}
.visionneuse button:hover,.visionneuse button:focus-visible{background:rgba(255,255,255,.32)}
.visionneuse button:focus-visible{outline:3px solid #8ab4f8}
.visionneuse .fermer{top:4px;right:8px}
.visionneuse .precedente{left:8px;top:50%;margin-top:-24px}
.visionneuse .suivante{right:8px;top:50%;margin-top:-24px}
)css";

// The viewer. Without script the links open the pictures themselves; with
// it, a click or Enter shows the picture over the page with its caption, date
// and place ("3 / 21"); the arrows and a swipe step, Escape, the close button
// or the browser's Back close it and give the focus back to the thumbnail of
// the picture last shown. It is a step in the browser's history, so Back
// closes it rather than leaving, and "#7" opens picture 7. While open, the
// focus stays on the viewer's buttons.
const char* const kScript = R"js((function () {
  var liens = Array.prototype.slice.call(document.querySelectorAll('.galerie a'));
  if (!liens.length) return;
  var v = document.createElement('div');
  v.className = 'visionneuse';
  v.hidden = true;
  v.setAttribute('role', 'dialog');
  v.setAttribute('aria-modal', 'true');
  v.innerHTML = '<p class="position" aria-live="polite"></p>' +
    '<figure><img alt=""><figcaption><span class="legende"></span><span class="date"></span></figcaption></figure>' +
    '<button type="button" class="precedente" aria-label="Image précédente">\u2039</button>' +
    '<button type="button" class="suivante" aria-label="Image suivante">\u203a</button>' +
    '<button type="button" class="fermer" aria-label="Fermer">\u00d7</button>';
  var image = v.querySelector('img'), legende = v.querySelector('.legende');
  var date = v.querySelector('.date'), position = v.querySelector('.position');
  var boutons = Array.prototype.slice.call(v.querySelectorAll('button'));
  if (liens.length < 2) boutons.splice(0, 2).forEach(function (b) { b.hidden = true; });
  var courant = 0, ouverte = false;
  function adresse() { return location.pathname + location.search; }
  function numero() {  // the picture "#7" names, or -1
    var m = /^#([0-9]+)$/.exec(location.hash), n = m ? parseInt(m[1], 10) : 0;
    return n >= 1 && n <= liens.length ? n - 1 : -1;
  }
  function montrer(i) {
    courant = (i + liens.length) % liens.length;
    var a = liens[courant], titre = a.querySelector('img').alt;
    image.src = a.href;
    image.alt = titre;
    legende.textContent = titre;
    date.textContent = a.getAttribute('data-date') || '';
    position.textContent = (courant + 1) + ' / ' + liens.length;
    v.setAttribute('aria-label', titre);
    [courant + 1, courant - 1].forEach(function (j) {
      new Image().src = liens[(j + liens.length) % liens.length].href;
    });
    if (ouverte) history.replaceState(history.state, '', adresse() + '#' + (courant + 1));
  }
  function ouvrir(i, depuisHistoire) {
    if (!depuisHistoire) history.pushState({ visionneuse: true }, '', adresse() + '#' + (i + 1));
    ouverte = true;
    montrer(i);
    document.body.appendChild(v);  // in the page only while open
    v.hidden = false;
    document.body.classList.add('ouverte');
    boutons[boutons.length - 1].focus();
  }
  function cacher() {
    if (!ouverte) return;
    ouverte = false;
    v.hidden = true;
    image.removeAttribute('src');
    document.body.removeChild(v);
    document.body.classList.remove('ouverte');
    liens[courant].focus();
  }
  function fermer() {
    // The viewer's own step of the history goes back; a page opened on "#7"
    // keeps its place in the history and loses the number.
    if (history.state && history.state.visionneuse) {
      history.back();
    } else {
      history.replaceState(null, '', adresse());
      cacher();
    }
  }
  window.addEventListener('popstate', function () {
    var n = numero();
    if (n < 0) cacher();
    else if (ouverte) montrer(n);
    else ouvrir(n, true);
  });
  liens.forEach(function (a, i) {
    a.addEventListener('click', function (e) {
      if (e.button || e.ctrlKey || e.metaKey || e.shiftKey || e.altKey) return;
      e.preventDefault();
      ouvrir(i);
    });
  });
  v.querySelector('.precedente').addEventListener('click', function () { montrer(courant - 1); });
  v.querySelector('.suivante').addEventListener('click', function () { montrer(courant + 1); });
  v.querySelector('.fermer').addEventListener('click', fermer);
  v.addEventListener('click', function (e) { if (e.target === v) fermer(); });
  document.addEventListener('keydown', function (e) {
    if (!ouverte) return;
    if (e.key === 'Escape' || e.key === 'Esc') fermer();
    else if (e.key === 'ArrowLeft' || e.key === 'Left') montrer(courant - 1);
    else if (e.key === 'ArrowRight' || e.key === 'Right') montrer(courant + 1);
    else if (e.key === 'Tab') {
      var k = boutons.indexOf(document.activeElement);
      var n = boutons.length;
      boutons[k < 0 ? 0 : (k + (e.shiftKey ? n - 1 : 1)) % n].focus();
    } else return;
    e.preventDefault();
  });
  document.addEventListener('focusin', function (e) {
    if (ouverte && !v.contains(e.target)) boutons[boutons.length - 1].focus();
  });
  var x0 = null, y0 = 0;
  v.addEventListener('touchstart', function (e) {
    x0 = e.touches.length === 1 ? e.touches[0].clientX : null;
    y0 = e.touches.length === 1 ? e.touches[0].clientY : 0;
  }, { passive: true });
  v.addEventListener('touchend', function (e) {
    if (x0 === null) return;
    var t = e.changedTouches[0], dx = t.clientX - x0, dy = t.clientY - y0;
    x0 = null;
    if (Math.abs(dx) > 40 && Math.abs(dx) > Math.abs(dy)) montrer(courant + (dx < 0 ? 1 : -1));
  });
  if (numero() >= 0) ouvrir(numero(), true);
})();
)js";

}  // namespace

QByteArray standaloneMarker() {
  return QByteArrayLiteral("<meta name=\"generator\" content=\"Pixolane\">");
}

QString frenchDate(const QDate& date) {
  static const char* const kMonths[] = {"janvier",   "février", "mars",     "avril",
                                        "mai",       "juin",    "juillet",  "août",
                                        "septembre", "octobre", "novembre", "décembre"};
  if (!date.isValid())
    return {};
  return (date.day() == 1 ? QStringLiteral("1er") : QString::number(date.day())) +
         QLatin1Char(' ') + QString::fromUtf8(kMonths[date.month() - 1]) + QLatin1Char(' ') +
         QString::number(date.year());
}

QByteArray standalonePage(const StandalonePageData& data) {
  const QString title = escapeText(data.title.trimmed().isEmpty() ? data.pageName : data.title);
  const QString pic = QStringLiteral("pic") + data.pageName + QLatin1Char('/');
  const QString mini = QStringLiteral("mini") + data.pageName + QLatin1Char('/');
  int cellWidth = 100, cellHeight = 100;
  if (!data.cells.empty()) {
    cellWidth = cellHeight = 1;
    for (const Cell& cell : data.cells) {
      cellWidth = std::max(cellWidth, cell.width);
      cellHeight = std::max(cellHeight, cell.height);
    }
  }
  // The card's column: the widest thumbnail and its padding; half as wide
  // again on a wide screen, where the high-density thumbnails keep it sharp.
  const int wide = cellWidth * 3 / 2;
  QString style = QString::fromUtf8(kStyle);
  style.replace(QLatin1String("@CELL@"), QString::number(cellWidth + 12));
  style.replace(QLatin1String("@WIDE@"), QString::number(wide + 12));
  style.replace(QLatin1String("@RATIO@"), QStringLiteral("%1/%2").arg(cellWidth).arg(cellHeight));
  // How wide a thumbnail is drawn, for the browser's choice in srcset: at
  // most half the screen on a phone, a little over its column elsewhere.
  const QString sizes = QStringLiteral("(min-width:1200px) %1px, (min-width:700px) %2px, 50vw")
                            .arg(wide * 6 / 5)
                            .arg(cellWidth * 4 / 3);
  const qsizetype count = qsizetype(data.cells.size());

  QString page;
  const auto line = [&page](const QString& text) {
    page += text;
    page += QLatin1Char('\n');
  };
  line(QStringLiteral("<!DOCTYPE html>"));
  line(QStringLiteral("<html lang=\"fr\">"));
  line(QStringLiteral("<head>"));
  line(QStringLiteral("<meta charset=\"utf-8\">"));
  line(QStringLiteral("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"));
  line(QString::fromLatin1(standaloneMarker()));
  line(QStringLiteral("<meta name=\"description\" content=\"") + title +
       (count == 0   ? QStringLiteral(" : galerie de photos")
        : count == 1 ? QStringLiteral(" : galerie de 1 photo")
                     : QStringLiteral(" : galerie de %1 photos").arg(count)) +
       QStringLiteral("\">"));
  line(QStringLiteral("<meta name=\"color-scheme\" content=\"light dark\">"));
  // No icon to fetch: a browser would otherwise ask the server for one.
  line(QStringLiteral("<link rel=\"icon\" href=\"data:,\">"));
  line(QStringLiteral("<title>") + title + QStringLiteral("</title>"));
  page += QStringLiteral("<style>\n") + style + QStringLiteral("</style>\n");
  line(QStringLiteral("</head>"));
  line(QStringLiteral("<body>"));
  line(QStringLiteral("<header><h1>") + title + QStringLiteral("</h1></header>"));
  line(QStringLiteral("<main>"));
  if (data.cells.empty()) {
    line(QStringLiteral("<p>Aucune image.</p>"));
  } else {
    line(QStringLiteral("<ul class=\"galerie\">"));
    int shown = 0;
    for (const StandaloneCell& cell : data.cells) {
      const QString legend =
          escapeText(cell.caption.isEmpty() ? baseName(cell.fileName) : cell.caption);
      QString item =
          QStringLiteral("<li><a href=\"") + address(pic + cell.fileName) + QLatin1Char('"');
      if (cell.taken.isValid())
        item +=
            QStringLiteral(" data-date=\"") + escapeText(frenchDate(cell.taken)) + QLatin1Char('"');
      item += QStringLiteral("><img src=\"") + address(mini + cell.fileName) + QLatin1Char('"');
      if (!cell.webFileName.isEmpty() && cell.webWidth > 0)
        // Joined, not .arg()ed: an address may hold "%2C".
        item += QStringLiteral(" srcset=\"") + candidate(mini + cell.fileName) +
                QStringLiteral(" %1w, ").arg(cell.width) + candidate(mini + cell.webFileName) +
                QStringLiteral(" %1w\" sizes=\"").arg(cell.webWidth) + sizes + QLatin1Char('"');
      // The first screenful loads at once; the rest as the visitor scrolls.
      item += QStringLiteral(" alt=\"") + legend +
              QStringLiteral("\" width=\"%1\" height=\"%2\"%3></a>")
                  .arg(cell.width)
                  .arg(cell.height)
                  .arg(++shown > 8 ? QStringLiteral(" loading=\"lazy\"") : QString());
      if (data.Check5 != 0)
        item += QStringLiteral("<span class=\"nom\">") + legend + QStringLiteral("</span>");
      line(item + QStringLiteral("</li>"));
    }
    line(QStringLiteral("</ul>"));
  }
  line(QStringLiteral("</main>"));
  line(QStringLiteral("<footer>Galerie créée avec Pixolane</footer>"));
  page += QStringLiteral("<script>\n") + QString::fromUtf8(kScript) + QStringLiteral("</script>\n");
  line(QStringLiteral("</body>"));
  line(QStringLiteral("</html>"));
  return page.toUtf8();
}

}  // namespace pixolane::pages
