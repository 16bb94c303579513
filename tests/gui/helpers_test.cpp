// The window's small helpers: number formats, the model list, the file filters (the command
// guard is shown at work by the workflow and genetics tests).

#include <QTest>

#include "gui/model_list.h"
#include "gui/number_text.h"
#include "gui/qt_user_dialogs.h"
#include "gui_test_registry.h"

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

  // The list's positions of one and two populations; a model without an item has none.
  void modelListItems() {
    QCOMPARE(modelIndexOf(1, 35), -1);
    QCOMPARE(modelIndexOf(2, 1), -1);
    QCOMPARE(modelIdAt(2, 0), 21);
    QCOMPARE(modelIdAt(1, -1), 0);
  }

  void fileFiltersForQt() {
    QCOMPARE(qtFileFilter("Text files (.txt)|*.txt|All files|*.*"),
             QString("Text files (.txt) (*.txt);;All files (*.*)"));
    QCOMPARE(qtFileFilter("Genetic samples file (*.sam)|*.sam|All files (*.*)|*.*"),
             QString("Genetic samples file (*.sam);;All files (*.*)"));
  }
};

ORVANTIS_GUI_TEST(TestHelpers);

}  // namespace orvantis::testing

#include "helpers_test.moc"
