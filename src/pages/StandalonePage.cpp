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

// The file name without its extension, for the alt text.
QString baseName(const QString& fileName) {
  const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
  return dot > 0 ? fileName.left(dot) : fileName;
}

// The grid's columns are as wide as the widest thumbnail (never wider than a
// phone's screen), and its pictures stand in a box as tall as the tallest, so
// the rows line up whatever the pictures' shapes.
const char* const kStyle = R"css(*,*::before,*::after{box-sizing:border-box}
html{-webkit-text-size-adjust:100%;text-size-adjust:100%}
body{margin:0;padding:12px 12px 24px;background:#f2f1ee;color:#1d1d1f;font:16px/1.4 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",Arial,sans-serif}
h1{margin:8px auto 18px;max-width:1600px;font-size:clamp(1.4rem,5vw,2.2rem);font-weight:600;text-align:center;overflow-wrap:anywhere}
.galerie{list-style:none;margin:0 auto;padding:0;max-width:1600px;display:grid;grid-template-columns:repeat(auto-fill,minmax(min(100%,@CELL@px),1fr));gap:10px}
.galerie li{margin:0;padding:6px;background:#fff;border-radius:8px;box-shadow:0 1px 3px rgba(0,0,0,.12);display:flex;flex-direction:column;align-items:center;min-width:0}
.galerie a{display:flex;align-items:center;justify-content:center;width:100%;min-height:@HEIGHT@px;border-radius:4px}
.galerie a:focus-visible{outline:3px solid #1a73e8;outline-offset:2px}
.galerie img{display:block;max-width:100%;height:auto;border-radius:3px}
.galerie a:hover img{opacity:.85}
.nom{margin-top:6px;max-width:100%;font-size:.8rem;color:#555;text-align:center;overflow-wrap:anywhere}
footer{margin-top:28px;text-align:center;font-size:.75rem;color:#777}
body.ouverte{overflow:hidden}
.visionneuse{position:fixed;top:0;right:0;bottom:0;left:0;z-index:10;display:flex;align-items:center;justify-content:center;padding:56px 8px 12px;background:rgba(12,12,12,.94);color:#eee}
.visionneuse[hidden]{display:none}
.visionneuse figure{margin:0;display:flex;flex-direction:column;align-items:center;max-width:100%}
.visionneuse figure img{display:block;max-width:calc(100vw - 16px);max-height:calc(100vh - 120px);width:auto;height:auto;object-fit:contain;box-shadow:0 4px 24px rgba(0,0,0,.5)}
.visionneuse figcaption{margin-top:10px;font-size:.9rem;text-align:center;overflow-wrap:anywhere}
.visionneuse button{position:absolute;width:48px;height:48px;padding:0;border:0;border-radius:50%;font:32px/48px sans-serif;color:#fff;background:rgba(255,255,255,.16);cursor:pointer}
.visionneuse button:hover,.visionneuse button:focus-visible{background:rgba(255,255,255,.32)}
.visionneuse button:focus-visible{outline:3px solid #8ab4f8}
.visionneuse .fermer{top:4px;right:8px}
.visionneuse .precedente{left:8px;top:50%;margin-top:-24px}
.visionneuse .suivante{right:8px;top:50%;margin-top:-24px}
)css";

// The viewer. Without script the links open the pictures themselves; with
// it, a click or Enter shows the picture over the page, the arrows and a
// swipe step, Escape or the close button return to the thumbnail last shown.
// While open, the focus stays on the viewer's buttons.
const char* const kScript = R"js((function () {
  var liens = Array.prototype.slice.call(document.querySelectorAll('.galerie a'));
  if (!liens.length) return;
  var v = document.createElement('div');
  v.className = 'visionneuse';
  v.hidden = true;
  v.setAttribute('role', 'dialog');
  v.setAttribute('aria-modal', 'true');
  v.innerHTML = '<figure><img alt=""><figcaption></figcaption></figure>' +
    '<button type="button" class="precedente" aria-label="Image précédente">\u2039</button>' +
    '<button type="button" class="suivante" aria-label="Image suivante">\u203a</button>' +
    '<button type="button" class="fermer" aria-label="Fermer">\u00d7</button>';
  var image = v.querySelector('img'), legende = v.querySelector('figcaption');
  var boutons = Array.prototype.slice.call(v.querySelectorAll('button'));
  if (liens.length < 2) boutons.splice(0, 2).forEach(function (b) { b.hidden = true; });
  var courant = 0;
  function nom(a) {
    var h = a.getAttribute('href');
    try { return decodeURIComponent(h.slice(h.lastIndexOf('/') + 1)); } catch (e) { return h; }
  }
  function montrer(i) {
    courant = (i + liens.length) % liens.length;
    var a = liens[courant];
    image.src = a.href;
    image.alt = a.querySelector('img').alt;
    legende.textContent = nom(a);
    v.setAttribute('aria-label', nom(a));
    [courant + 1, courant - 1].forEach(function (j) {
      new Image().src = liens[(j + liens.length) % liens.length].href;
    });
  }
  function ouvrir(i) {
    montrer(i);
    document.body.appendChild(v);  // in the page only while open
    v.hidden = false;
    document.body.classList.add('ouverte');
    boutons[boutons.length - 1].focus();
  }
  function fermer() {
    v.hidden = true;
    image.removeAttribute('src');
    document.body.removeChild(v);
    document.body.classList.remove('ouverte');
    liens[courant].focus();
  }
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
    if (v.hidden) return;
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
    if (!v.hidden && !v.contains(e.target)) boutons[boutons.length - 1].focus();
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
})();
)js";

}  // namespace

QByteArray standaloneMarker() {
  return QByteArrayLiteral("<meta name=\"generator\" content=\"Pixolane\">");
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
  QString style = QString::fromUtf8(kStyle);
  style.replace(QLatin1String("@CELL@"), QString::number(cellWidth + 12));
  style.replace(QLatin1String("@HEIGHT@"), QString::number(cellHeight));

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
  line(QStringLiteral("<title>") + title + QStringLiteral("</title>"));
  page += QStringLiteral("<style>\n") + style + QStringLiteral("</style>\n");
  line(QStringLiteral("</head>"));
  line(QStringLiteral("<body>"));
  line(QStringLiteral("<h1>") + title + QStringLiteral("</h1>"));
  if (data.cells.empty()) {
    line(QStringLiteral("<p>Aucune image.</p>"));
  } else {
    line(QStringLiteral("<ul class=\"galerie\">"));
    for (const Cell& cell : data.cells) {
      QString item = QStringLiteral("<li><a href=\"") + address(pic + cell.fileName) +
                     QStringLiteral("\"><img src=\"") + address(mini + cell.fileName) +
                     QStringLiteral("\" alt=\"") + escapeText(baseName(cell.fileName)) +
                     QStringLiteral(
                         "\" width=\"%1\" height=\"%2\" loading=\"lazy\" "
                         "decoding=\"async\"></a>")
                         .arg(cell.width)
                         .arg(cell.height);
      if (data.Check5 != 0)
        item += QStringLiteral("<span class=\"nom\">") + escapeText(cell.fileName) +
                QStringLiteral("</span>");
      line(item + QStringLiteral("</li>"));
    }
    line(QStringLiteral("</ul>"));
  }
  line(QStringLiteral("<footer>Galerie créée avec Pixolane</footer>"));
  page += QStringLiteral("<script>\n") + QString::fromUtf8(kScript) + QStringLiteral("</script>\n");
  line(QStringLiteral("</body>"));
  line(QStringLiteral("</html>"));
  return page.toUtf8();
}

}  // namespace pixolane::pages
