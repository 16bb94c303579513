// The window's small helpers: number formats, the model list, the file filters, the command
// guard.

#include <QTest>

#include "gui/command_guard.h"
#include "gui/model_list.h"
#include "gui/number_text.h"
#include "gui/qt_user_dialogs.h"
#include "gui_test_registry.h"
#include "scripted_dialogs.h"

namespace orvantis::testing {

class TestHelpers : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void generalFormatWithFourDigits_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("tenth") << 0.1 << "0.1";
    QTest::newRow("rounded") << 0.123456 << "0.1235";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("whole") << 1234.4 << "1234";
    QTest::newRow("carries into five digits") << 9999.7 << "1E+0004";
    QTest::newRow("large") << 12346.0 << "1.235E+0004";
    QTest::newRow("smallest fixed") << 0.00001 << "0.00001";
    QTest::newRow("small") << 0.0000012 << "1.2E-0006";
    QTest::newRow("negative") << -0.25 << "-0.25";
  }
  void generalFormatWithFourDigits() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(generalFormat(value), text);
  }

  void wholeNumbersAndIntegerParts() {
    QCOMPARE(parseWholeNumber(" 40 "), std::optional<int>(40));
    QCOMPARE(parseWholeNumber("-120000"), std::optional<int>(-120000));
    for (const char* bad : {"", "4.5", "abc", "99999999999"}) {
      QVERIFY2(!parseWholeNumber(bad).has_value(), bad);
    }
    QCOMPARE(integerPart("50.7"), 50);
    QCOMPARE(integerPart("x"), 0);
  }

  void modelListItems() {
    QCOMPARE(modelItems(1).size(), std::size_t{6});
    QCOMPARE(modelIndexOf(1, 14), 3);
    QCOMPARE(modelIndexOf(1, 35), -1);
    QCOMPARE(modelIndexOf(2, 1), -1);
    QCOMPARE(modelIdAt(2, 0), 21);
    QCOMPARE(modelIdAt(1, 5), 55);
    QCOMPARE(modelIdAt(1, -1), 0);
    QCOMPARE(QString(modelItems(2)[5].label),
             QString("12. Two populations with hybridization, competition density-independant"));
  }

  void fileFiltersForQt() {
    QCOMPARE(qtFileFilter("Text files (.txt)|*.txt|All files|*.*"),
             QString("Text files (.txt) (*.txt);;All files (*.*)"));
    QCOMPARE(qtFileFilter("Genetic samples file (*.sam)|*.sam|All files (*.*)|*.*"),
             QString("Genetic samples file (*.sam);;All files (*.*)"));
  }

  void guardAllowsOneCommandAtATime() {
    TScriptedDialogs dialogs;
    TCommandGuard guard(dialogs);
    QStringList changes;
    guard.setOnChange([&](bool running) { changes << (running ? "start" : "end"); });
    {
      auto first = guard.begin("RUN");
      QVERIFY(first.has_value());
      QVERIFY(guard.running());
      QVERIFY(!guard.begin("Build World").has_value());
      QCOMPARE(dialogs.shown(), QStringList{TCommandGuard::kRefusedCaption + ": " +
                                            TCommandGuard::refusedText("Build World", "RUN")});
    }
    QVERIFY(!guard.running());
    QVERIFY(guard.begin("Build World").has_value());
    QCOMPARE(changes, (QStringList{"start", "end", "start", "end"}));
  }
};

ORVANTIS_GUI_TEST(TestHelpers);

}  // namespace orvantis::testing

#include "helpers_test.moc"
