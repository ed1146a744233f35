// The version text in its two forms, and what a build without version information shows.
#include <QtTest>

#include "settings/versiontext.h"

using namespace quorvane;

class TestVersion : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void bothForms_data() {
    QTest::addColumn<QString>("fileVersion");
    QTest::addColumn<QString>("full");
    QTest::addColumn<QString>("brief");
    QTest::newRow("the program's own") << "1.0.2.30"
                                       << "Quorvane 1.0.2.30"
                                       << "Quorvane 1.0.2";
    QTest::newRow("third number zero is dropped") << "2.1.0.7"
                                                  << "Quorvane 2.1.0.7"
                                                  << "Quorvane 2.1";
    QTest::newRow("only one zero number is dropped") << "1.0.0.0"
                                                     << "Quorvane 1.0.0.0"
                                                     << "Quorvane 1.0";
    QTest::newRow("zero written as 00") << "3.4.00.1"
                                        << "Quorvane 3.4.00.1"
                                        << "Quorvane 3.4";
    QTest::newRow("fourth number only") << "5.6.7.0"
                                        << "Quorvane 5.6.7.0"
                                        << "Quorvane 5.6.7";
  }
  void bothForms() {
    QFETCH(QString, fileVersion);
    QFETCH(QString, full);
    QFETCH(QString, brief);
    const VersionInfo info{QStringLiteral("Quorvane"), fileVersion};
    QCOMPARE(VersionText(info, true), full);
    QCOMPARE(VersionText(info, false), brief);
  }

  void productNameIsCutTo255Characters() {
    const QString longName(300, QLatin1Char('Q'));
    const VersionInfo info{longName, QStringLiteral("1.0.2.30")};
    QCOMPARE(VersionText(info, true), longName.left(255) + QStringLiteral(" 1.0.2.30"));
    QCOMPARE(VersionText(info, false), longName.left(255) + QStringLiteral(" 1.0.2"));
  }

  void noVersionInformationGivesEmptyText() {
    QCOMPARE(VersionText(std::nullopt, true), QString());
    QCOMPARE(VersionText(std::nullopt, false), QString());
    // This test program is built without the executable's version information.
    QVERIFY(!ReadVersionInfo());
    QCOMPARE(VersionText(false), QString());
  }

  void programCarriesItsVersion() {
    // The real executable embeds the project version; read it back as the program would.
    const QString program = qEnvironmentVariable("QUORVANE_PROGRAM");
    if (program.isEmpty()) QSKIP("QUORVANE_PROGRAM is not set (run through CTest)");
    QFile file(program);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("FileVersion=1.0.2.30\nProductName=Quorvane\n"));
  }
};

QTEST_GUILESS_MAIN(TestVersion)
#include "tst_version.moc"
