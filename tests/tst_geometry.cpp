// Window and control geometry and font sizes against hostile values: language entries at the ends of int,
// stored window positions off every screen, on a desktop of two screens of different sizes.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>
#include <memory>

#include "main/quorvaneform.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "settings/langchanger.h"
#include "tests/fixture.h"
#include "tests/testfiles.h"
#include "widgets/screenfit.h"

using namespace quorvane;

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();

// The desktop of main(): a large screen, and a smaller one to its right that starts 200 pixels lower.
const QRect kLarge(0, 0, 1280, 1024);
const QRect kSmall(1280, 200, 1024, 768);

// In an expected position: the frame's far edge (right or bottom) lies on the far edge of the screen.
constexpr int kFlush = kIntMin;

// A frame counts as reachable with a grip of its title bar on one screen: the rule of PlaceOnScreens,
// written out in 64 bits.
bool titleBarOnAScreen(QPoint at, QSize size) {
  const qint64 width = std::max(size.width(), 1);
  const qint64 height = std::min(std::max(size.height(), 1), kTitleBarHeight);
  for (const QRect& screen : {kLarge, kSmall}) {
    const qint64 left = std::max<qint64>(at.x(), screen.x());
    const qint64 right = std::min<qint64>(at.x() + width, qint64(screen.x()) + screen.width());
    const qint64 top = std::max<qint64>(at.y(), screen.y());
    const qint64 bottom = std::min<qint64>(at.y() + height, qint64(screen.y()) + screen.height());
    if (right - left >= std::min<qint64>(kTitleBarGrip, width) && 2 * (bottom - top) >= height) return true;
  }
  return false;
}

}  // namespace

class tst_Geometry : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase();
  void init();
  void cleanup();

  void placeOnScreens_data();
  void placeOnScreens();
  void placeOnScreensRandom();
  void languageEntriesKeptInRange_data();
  void languageEntriesKeptInRange();
  void storedPositionOnScreen_data();
  void storedPositionOnScreen();

 private:
  std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_Geometry::initTestCase() {
  const QList<QScreen*> screens = QGuiApplication::screens();
  QCOMPARE(screens.size(), 2);
  QCOMPARE(screens[0]->availableGeometry(), kLarge);
  QCOMPARE(screens[1]->availableGeometry(), kSmall);
}

void tst_Geometry::init() {
  m_folder = test::freshProgramFolder();
  QVERIFY(m_folder);
}

void tst_Geometry::cleanup() {
  SetProgramLocationForTests(QString());
  m_folder.reset();
  QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_Geometry::placeOnScreens_data() {
  QTest::addColumn<QPoint>("at");
  QTest::addColumn<QSize>("size");
  QTest::addColumn<QPoint>("placed");
  const QSize window(466, 540);
  QTest::newRow("on the large screen") << QPoint(100, 100) << window << QPoint(100, 100);
  QTest::newRow("half the title bar above the top edge") << QPoint(100, -12) << window << QPoint(100, -12);
  QTest::newRow("more than half above the top edge") << QPoint(100, -13) << window << QPoint(100, 0);
  QTest::newRow("32 pixels of title bar at the left edge")
      << QPoint(-434, 300) << window << QPoint(-434, 300);
  QTest::newRow("31 pixels at the left edge") << QPoint(-435, 300) << window << QPoint(0, 300);
  QTest::newRow("narrower than the grip, wholly on screen")
      << QPoint(1260, 10) << QSize(20, 100) << QPoint(1260, 10);
  QTest::newRow("Left=2500: onto the small screen, flush right")
      << QPoint(2500, 300) << window << QPoint(2304 - 466, 300);
  QTest::newRow("above the small screen, nearer to it than to the large")
      << QPoint(1500, 0) << window << QPoint(1500, 200);
  QTest::newRow("below the small screen") << QPoint(1800, 1500) << window << QPoint(1800, 968 - 540);
  QTest::newRow("below both, nearer to the large")
      << QPoint(1500, 2000) << window << QPoint(1280 - 466, 1024 - 540);
  QTest::newRow("Top=2147483647") << QPoint(0, kIntMax) << window << QPoint(0, 1024 - 540);
  QTest::newRow("Left=2147483647") << QPoint(kIntMax, 100) << window << QPoint(2304 - 466, 200);
  QTest::newRow("both at the bottom of int") << QPoint(kIntMin, kIntMin) << window << QPoint(0, 0);
  QTest::newRow("larger than every screen: its corner on the nearest")
      << QPoint(-5000, -5000) << QSize(3000, 3000) << QPoint(0, 0);
  QTest::newRow("size at the top of int, title bar on screen")
      << QPoint(100, 100) << QSize(kIntMax, kIntMax) << QPoint(100, 100);
  QTest::newRow("size at the top of int, off every screen")
      << QPoint(100, kIntMin) << QSize(kIntMax, kIntMax) << QPoint(0, 0);
}

void tst_Geometry::placeOnScreens() {
  QFETCH(QPoint, at);
  QFETCH(QSize, size);
  QFETCH(QPoint, placed);
  QCOMPARE(PlaceOnScreens(at, size), placed);
}

// Random frames anywhere an int reaches, sizes up to an int: the result is always reachable, a reachable
// frame never moves, and a frame that fits a screen is moved wholly inside one.
void tst_Geometry::placeOnScreensRandom() {
  QRandomGenerator random(20260718);
  const auto coordinate = [&random]() -> int {
    switch (random.bounded(4)) {
      case 0:
        return int(random.generate());  // anywhere in int
      case 1:
        return random.bounded(-3000, 3000);  // around the screens
      case 2:
        return random.bounded(2) ? kIntMax - random.bounded(3000) : kIntMin + random.bounded(3000);
      default:
        return random.bounded(-100, 2400);
    }
  };
  for (int i = 0; i < 20000; ++i) {
    const QPoint at(coordinate(), coordinate());
    const QSize size = random.bounded(8) == 0
                           ? QSize(int(random.bounded(kIntMax)), int(random.bounded(kIntMax)))
                           : QSize(random.bounded(1, 1500), random.bounded(1, 1200));
    const QPoint placed = PlaceOnScreens(at, size);
    const QByteArray what = QByteArray::number(at.x()) + "," + QByteArray::number(at.y()) + " " +
                            QByteArray::number(size.width()) + "x" + QByteArray::number(size.height());
    QVERIFY2(titleBarOnAScreen(placed, size), what.constData());
    if (titleBarOnAScreen(at, size)) QVERIFY2(placed == at, what.constData());
    QVERIFY2(PlaceOnScreens(placed, size) == placed, what.constData());
    if (placed != at && size.width() <= kSmall.width() && size.height() <= kSmall.height()) {
      const QRect frame(placed, size);
      QVERIFY2(kLarge.contains(frame) || kSmall.contains(frame), what.constData());
    }
  }
}

void tst_Geometry::languageEntriesKeptInRange_data() {
  QTest::addColumn<QString>("entry");     // as after the form's name in a language file
  QTest::addColumn<QString>("readBack");  // component and property, "" for the form itself
  QTest::addColumn<int>("expected");
  // The largest screen bounds the frame: 1280 x 1024.
  QTest::newRow("Height=2147483647") << "Height=2147483647"
                                     << "Height" << 1024;
  QTest::newRow("Width=2147483647") << "Width=2147483647"
                                    << "Width" << 1280;
  QTest::newRow("ClientHeight=2147483647") << "ClientHeight=2147483647"
                                           << "Height" << 1024;
  QTest::newRow("minimumHeight=2147483647") << "minimumHeight=2147483647"
                                            << "Height" << 1024;
  QTest::newRow("minimumWidth=16777215") << "minimumWidth=16777215"
                                         << "Width" << 1280;
  QTest::newRow("Height=500 as asked") << "Height=500"
                                       << "Height" << 500;
  QTest::newRow("Left=-2147483648: onto the large screen") << "Left=-2147483648"
                                                           << "Left" << 0;
  QTest::newRow("Top=-2147483648: onto the large screen") << "Top=-2147483648"
                                                          << "Top" << 0;
  QTest::newRow("Left=40 as asked") << "Left=40"
                                    << "Left" << 40;
  QTest::newRow("Font.Height=-2147483648") << "Font.Height=-2147483648"
                                           << "Font.Size" << kMaxFontPoints;
  QTest::newRow("Font.Height=2147483647") << "Font.Height=2147483647"
                                          << "Font.Size" << kMaxFontPoints;
  QTest::newRow("Font.Size=2147483647") << "Font.Size=2147483647"
                                        << "Font.Size" << kMaxFontPoints;
  QTest::newRow("Font.Height=-16 as asked") << "Font.Height=-16"
                                            << "Font.Size" << 12;
  QTest::newRow("edMask.Left=2147483647") << "edMask.Left=2147483647"
                                          << "edMask.Left" << kMaxControlExtent;
  QTest::newRow("edMask.Top=-2147483648") << "edMask.Top=-2147483648"
                                          << "edMask.Top" << -kMaxControlExtent;
  QTest::newRow("edMask.Height=2147483647") << "edMask.Height=2147483647"
                                            << "edMask.Height" << kMaxControlExtent;
  QTest::newRow("edMask.Width=-2147483648") << "edMask.Width=-2147483648"
                                            << "edMask.Width" << 0;
  QTest::newRow("edMask.Font.Height=-2147483648") << "edMask.Font.Height=-2147483648"
                                                  << "edMask.Font.Size" << kMaxFontPoints;
  QTest::newRow("edMask.Left=-30 as asked") << "edMask.Left=-30"
                                            << "edMask.Left" << -30;
}

// Entries that used to overflow int (undefined behaviour; a window 16,777,215 pixels high in practice) and
// their in-range neighbours, on the real main window as it is shown. Whatever the entry, the window stays
// within the largest screen with its title bar on a screen.
void tst_Geometry::languageEntriesKeptInRange() {
  QFETCH(QString, entry);
  QFETCH(QString, readBack);
  QFETCH(int, expected);
  TQuorvaneForm form;
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  const qsizetype equals = entry.indexOf('=');
  LangChanger().ApplyEntry(&form, entry.first(equals), entry.sliced(equals + 1));
  QCoreApplication::processEvents();

  QObject* object = &form;
  QStringList path = readBack.split('.');
  if (path.size() > 1 && path[0] != "Font") object = form.findChild<QObject*>(path.takeFirst());
  QVERIFY(object);
  if (path[0] == "Font") object = object->property("Font").value<QObject*>();
  QVERIFY(object);
  QCOMPARE(object->property(path.last().toLatin1()).toInt(), expected);

  const QRect frame = form.frameGeometry();
  QVERIFY2(frame.width() <= kLarge.width() && frame.height() <= kLarge.height(),
           qPrintable(QStringLiteral("frame %1 x %2").arg(frame.width()).arg(frame.height())));
  QVERIFY(titleBarOnAScreen(frame.topLeft(), frame.size()));
}

void tst_Geometry::storedPositionOnScreen_data() {
  QTest::addColumn<QPoint>("stored");
  QTest::addColumn<QPoint>("shown");  // kFlush: the frame's far edge on the screen's
  QTest::addColumn<QRect>("screen");
  QTest::newRow("on the large screen") << QPoint(300, 200) << QPoint(300, 200) << kLarge;
  QTest::newRow("a grip at the left edge is kept") << QPoint(-400, 100) << QPoint(-400, 100) << kLarge;
  QTest::newRow("half a title bar above the top is kept") << QPoint(200, -12) << QPoint(200, -12) << kLarge;
  QTest::newRow("Left=2500, right of both") << QPoint(2500, 300) << QPoint(kFlush, 300) << kSmall;
  QTest::newRow("above the small screen") << QPoint(1500, 50) << QPoint(1500, 200) << kSmall;
  QTest::newRow("far above the large screen") << QPoint(200, -3000) << QPoint(200, 0) << kLarge;
  QTest::newRow("Top=2147483647") << QPoint(0, kIntMax) << QPoint(0, kFlush) << kLarge;
  QTest::newRow("both at the bottom of int") << QPoint(kIntMin, kIntMin) << QPoint(0, 0) << kLarge;
}

// Another monitor, another resolution or a hand-edited file: the window opens where its title bar can be
// reached, and the exit writes back that position.
void tst_Geometry::storedPositionOnScreen() {
  QFETCH(QPoint, stored);
  QFETCH(QPoint, shown);
  QFETCH(QRect, screen);
  const QString ini = QDir(m_folder->path()).filePath(ProgramBaseName() + ".ini");
  QVERIFY(test::writeFile(ini, "[Window Position]\r\nLeft=" + QByteArray::number(stored.x()) +
                                   "\r\nTop=" + QByteArray::number(stored.y()) + "\r\n"));
  auto form = std::make_unique<TQuorvaneForm>();
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  const QRect frame = form->frameGeometry();
  const QPoint expected(shown.x() == kFlush ? screen.x() + screen.width() - frame.width() : shown.x(),
                        shown.y() == kFlush ? screen.y() + screen.height() - frame.height() : shown.y());
  QCOMPARE(form->pos(), expected);
  if (stored != expected) QVERIFY(screen.contains(frame));
  form.reset();
  QCOMPARE(profile::ReadString(ini, "Window Position", "Left", {}), QByteArray::number(expected.x()));
  QCOMPARE(profile::ReadString(ini, "Window Position", "Top", {}), QByteArray::number(expected.y()));
}

// Two screens of the offscreen platform, from a configuration of the test's own.
int main(int argc, char** argv) {
  QTemporaryDir config;
  if (!test::configureOffscreenScreens(config, {kLarge, kSmall})) return 2;
  QApplication application(argc, argv);
  tst_Geometry test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_geometry.moc"
