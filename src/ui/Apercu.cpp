#include "ui/Apercu.h"

#include <QFutureWatcher>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "run/ApercuLogic.h"
#include "ui/Form3.h"

namespace pixolane::ui {

using job::GalleryJob;
using run::apercuCaption;
using run::apercuEmptyListCaption;
using run::apercuEncodeFailedCaption;
using run::apercuUnreadableCaption;
using run::PreviewRender;
using run::renderPreview;

namespace {

// What the worker hands back: the render and the picture ready for showing.
struct RenderOutcome {
  PreviewRender render;
  QImage image;
};

RenderOutcome renderOnWorker(QString path, int largeur, int hauteur, int qualite, int progressif) {
  RenderOutcome outcome;
  outcome.render = renderPreview(std::move(path), largeur, hauteur, qualite, progressif);
  if (outcome.render.ok())
    outcome.image = toQImage(outcome.render.decoded);
  outcome.render.decoded = {};
  return outcome;
}

}  // namespace

Apercu::Apercu(const GalleryJob& job, int& position, QWidget* parent)
    : QWidget(parent, Qt::Window), job_(job), position_(position) {
  setWindowTitle(QStringLiteral("Aperçu...."));
  // The picture is shown pixel for pixel, as encoded; a picture larger than
  // the screen gets scroll bars rather than a window past the screen's edges.
  scroll_ = new QScrollArea(this);
  scroll_->setFrameShape(QFrame::NoFrame);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);
  Picture1 = new QLabel;
  Picture1->setObjectName(QStringLiteral("Picture1"));
  scroll_->setWidget(Picture1);
  Picture1->setCursor(Qt::PointingHandCursor);
  Picture1->installEventFilter(this);
  // The keyboard steps as the click does. The picture holds the focus, so a
  // screen reader reads its name, the caption.
  Picture1->setFocusPolicy(Qt::StrongFocus);
  scroll_->setFocusPolicy(Qt::NoFocus);
  setFocusProxy(Picture1);
  const auto onKeys = [this](std::initializer_list<int> keys, auto slot) {
    for (const int key : keys)
      connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, slot);
  };
  onKeys({Qt::Key_Right, Qt::Key_Space, Qt::Key_PageDown}, &Apercu::affiche);
  onKeys({Qt::Key_Left, Qt::Key_PageUp}, &Apercu::precedent);
  onKeys({Qt::Key_Escape}, &Apercu::close);
  connect(this, &QWidget::windowTitleChanged, Picture1, &QWidget::setAccessibleName);
  Picture1->setAccessibleName(windowTitle());
  resize(320, 240);
}

Apercu::~Apercu() = default;

bool Apercu::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Picture1 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Picture1_Click();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void Apercu::Picture1_Click() {
  affiche();
}

void Apercu::affiche() {
  const qsizetype count = job_.List1.size();
  const int next = position_ + 1;
  position_ = (next < 0 || next >= count) ? 0 : next;
  maj();
}

void Apercu::precedent() {
  const qsizetype count = job_.List1.size();
  const int previous = position_ - 1;
  position_ = (previous < 0 || previous >= count) ? int(count) - 1 : previous;
  if (position_ < 0)
    position_ = 0;
  maj();
}

void Apercu::maj() {
  const quint64 generation = ++generation_;
  encodedBytes_ = 0;
  Picture1->clear();

  const QStringList& list = job_.List1;
  if (list.isEmpty()) {
    rendering_ = false;
    setWindowTitle(apercuEmptyListCaption());
    emit rendered(false);
    return;
  }
  // The list may have shrunk since the window last showed a picture.
  if (position_ < 0 || position_ >= list.size())
    position_ = 0;

  rendering_ = true;
  setWindowTitle(QStringLiteral("Traitement en cours..."));

  // Everything the worker needs, by value: the job may change while it runs.
  const QString path = list.at(position_);
  const int largeur = job_.LargeurCible;
  const int hauteur = job_.HauteurCible;
  const int qualite = job_.Qualite;
  const int progressif = job_.Progressif;

  auto* watcher = new QFutureWatcher<RenderOutcome>(this);
  connect(watcher, &QFutureWatcher<RenderOutcome>::finished, this,
          [this, watcher, generation, path, largeur, hauteur, qualite, progressif] {
            watcher->deleteLater();
            // A newer render was asked for: this result is out of date.
            if (generation != generation_)
              return;
            const RenderOutcome outcome = watcher->result();
            rendering_ = false;
            const PreviewRender& render = outcome.render;
            if (render.status == PreviewRender::Status::Unreadable) {
              setWindowTitle(apercuUnreadableCaption(path));
              emit rendered(false);
              return;
            }
            if (!render.ok() || outcome.image.isNull()) {
              setWindowTitle(apercuEncodeFailedCaption(path));
              emit rendered(false);
              return;
            }
            encodedBytes_ = render.encodedBytes;
            showPicture(outcome.image);
            setWindowTitle(
                apercuCaption(qualite, render.encodedBytes, largeur, hauteur, path, progressif));
            emit rendered(true);
          });
  watcher->setFuture(
      QtConcurrent::run(renderOnWorker, path, largeur, hauteur, qualite, progressif));
}

void Apercu::showPicture(const QImage& image) {
  Picture1->setPixmap(QPixmap::fromImage(image));
  Picture1->resize(image.size());
  const QScreen* screen = this->screen();
  if (!screen) {
    resize(image.size());
    return;
  }
  // The room the window's frame leaves on the screen, task bars excluded.
  const QRect available = screen->availableGeometry();
  const QSize frame = isVisible() ? frameGeometry().size() - size() : QSize(0, 0);
  const QSize room = available.size() - frame;
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  QSize wanted = image.size();
  if (wanted.width() > room.width())
    wanted.rheight() += bar;  // the horizontal bar takes its height from the picture
  if (wanted.height() > room.height())
    wanted.rwidth() += bar;
  resize(wanted.boundedTo(room));
  if (isVisible() && !available.contains(frameGeometry()))
    move(available.topLeft());
}

}  // namespace pixolane::ui
