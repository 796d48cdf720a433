// A small Qt Widgets program that proves the static Windows Qt works: a window with a menu and a Japanese label,
// and a question box answered by a timer. Run under Wine by run-qt-smoke.sh.
//   qt_smoke --check           checks the platform, the Japanese glyphs and the question box; exits 0 when all
//                              of them pass, 1 otherwise, printing one line per check
//   qt_smoke --show SECONDS    shows the window and the question box, prints "shown" once both are on the
//                              screen (for a screenshot), answers the box after SECONDS and exits 0 if the
//                              answer arrived
#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const QString kJapanese = QStringLiteral("日本語の表示テスト：漢字・ひらがな・カタカナ");

int failures = 0;

void report(bool ok, const char *what, const QString &detail = {}) {
  std::printf("%s %s%s%s\n", ok ? "ok" : "FAIL", what, detail.isEmpty() ? "" : ": ",
              detail.toUtf8().constData());
  std::fflush(stdout);
  if (!ok) ++failures;
}

// The text drawn alone into a white image with the given font.
QImage drawn(const QString &text, const QFont &font) {
  QImage image(400, 60, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(image.rect(), Qt::AlignLeft | Qt::AlignVCenter, text);
  return image;
}

int darkPixels(const QImage &image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) ++count;
  return count;
}

QMainWindow *makeWindow() {
  auto *window = new QMainWindow;
  window->setWindowTitle(QStringLiteral("Qt スモークテスト"));
  QMenu *file = window->menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  file->addAction(QStringLiteral("終了(&X)"), window, &QWidget::close);
  auto *central = new QWidget;
  auto *layout = new QVBoxLayout(central);
  auto *label = new QLabel(kJapanese);
  label->setObjectName(QStringLiteral("japanese"));
  QFont big = label->font();
  big.setPointSize(16);
  label->setFont(big);
  layout->addWidget(label);
  layout->addWidget(new QLabel(QStringLiteral("Latin text beside it: QuillonMacro 0123456789")));
  window->setCentralWidget(central);
  window->resize(640, 240);
  window->move(40, 40);
  return window;
}

// Opens the question box and presses its Yes button after delayMs; returns the answer.
QMessageBox::StandardButton askAndAnswer(QWidget *parent, int delayMs, bool announce) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("確認"),
                  QStringLiteral("変更を保存しますか？\n日本語のメッセージボックスです。"),
                  QMessageBox::Yes | QMessageBox::No, parent);
  if (announce) {
    // Once the box has been shown and painted, say so, so a screenshot can be taken.
    QTimer::singleShot(1500, &box, [] {
      std::printf("shown\n");
      std::fflush(stdout);
    });
  }
  QTimer::singleShot(delayMs, &box, [&box] { box.button(QMessageBox::Yes)->click(); });
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

int check() {
  report(QGuiApplication::platformName() == QLatin1String("windows"), "platform plugin",
         QGuiApplication::platformName());

  QMainWindow *window = makeWindow();
  window->show();
  QApplication::processEvents();
  auto *label = window->findChild<QLabel *>(QStringLiteral("japanese"));
  const QFont font = label->font();
  std::printf("label font: %s\n", QFontInfo(font).family().toUtf8().constData());

  // Different Japanese words must look different: were the glyphs missing, each character would be drawn as
  // the same empty box and the two images would be equal.
  const QImage a = drawn(QStringLiteral("日本語"), font);
  const QImage b = drawn(QStringLiteral("漢字表"), font);
  report(darkPixels(a) > 50 && darkPixels(b) > 50, "Japanese text draws ink",
         QString::number(darkPixels(a)) + QLatin1Char('/') + QString::number(darkPixels(b)));
  report(a != b, "two different Japanese words draw differently");

  const QImage shot = label->grab().toImage();
  report(darkPixels(shot) > 100, "the label paints its text", QString::number(darkPixels(shot)));

  report(askAndAnswer(window, 500, false) == QMessageBox::Yes, "the question box returns the pressed button");
  delete window;
  std::printf("%s\n", failures == 0 ? "all checks passed" : "some checks failed");
  return failures == 0 ? 0 : 1;
}

int show(int seconds) {
  QMainWindow *window = makeWindow();
  window->show();
  const bool answered = askAndAnswer(window, seconds * 1000, true) == QMessageBox::Yes;
  std::printf("%s\n", answered ? "answered" : "no answer");
  delete window;
  return answered ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  if (argc == 2 && std::strcmp(argv[1], "--check") == 0) return check();
  if (argc == 3 && std::strcmp(argv[1], "--show") == 0) return show(std::atoi(argv[2]));
  std::fprintf(stderr, "usage: qt_smoke --check | --show SECONDS\n");
  return 2;
}
