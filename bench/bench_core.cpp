// The work behind every keystroke in a value field: reading the typed text, converting
// it, and writing the partner field's text. Run with -median N for a steadier figure,
// or with -callgrind for instruction counts that do not depend on the machine's load.
#include "core/catalogue.h"
#include "core/valuetext.h"

#include <QTest>

#include <optional>

using namespace mensurio;

namespace {

// A fixed locale, so the figures do not depend on the machine's language settings.
const QLocale english(QLocale::English, QLocale::UnitedStates);

} // namespace

class BenchCore : public QObject {
    Q_OBJECT

private slots:
    void readValue_data();
    void readValue();
    void writeValue_data();
    void writeValue();
    void convert_data();
    void convert();
};

void BenchCore::readValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");

    QTest::newRow("integer") << "150" << true;
    QTest::newRow("decimal") << "98.6" << true;
    QTest::newRow("negative small") << "-0.000012345" << true;
    QTest::newRow("15 digits") << "123456789.012345" << true;
    QTest::newRow("exponent") << "1E+15" << true;
    QTest::newRow("no number") << "1-2" << false;
}

void BenchCore::readValue()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);

    std::optional<double> value;
    QBENCHMARK {
        value = mensurio::readValue(text, english);
    }
    // A benchmark that silently measured the failure path would mislead.
    QCOMPARE(value.has_value(), valid);
}

void BenchCore::writeValue_data()
{
    QTest::addColumn<double>("value");

    QTest::newRow("integer") << 150.0;
    QTest::newRow("short decimal") << 68.04;
    QTest::newRow("15 digits") << 1.0 / 3.0;
    QTest::newRow("small exponent") << 0.0000012345;
    QTest::newRow("large exponent") << 1.5e300;
}

void BenchCore::writeValue()
{
    QFETCH(double, value);

    std::optional<QString> text;
    QBENCHMARK {
        text = mensurio::writeValue(value, english);
    }
    QVERIFY(text.has_value());
}

void BenchCore::convert_data()
{
    QTest::addColumn<int>("pair");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QString>("text");

    // Factor pairs multiply once; temperature pairs call a formula of several steps.
    QTest::newRow("factor Weight1 forward") << int(PairId::Weight1) << true << "150";
    QTest::newRow("factor Length5 backward") << int(PairId::Length5) << false << "30.48";
    QTest::newRow("temperature Temp1 forward") << int(PairId::Temp1) << true << "98.6";
    QTest::newRow("temperature Temp2 backward") << int(PairId::Temp2) << false << "-40";
}

void BenchCore::convert()
{
    QFETCH(int, pair);
    QFETCH(bool, forward);
    QFETCH(QString, text);

    const UnitPair& row = unitPair(static_cast<PairId>(pair));
    const Direction direction = forward ? Direction::Forward : Direction::Backward;
    std::optional<QString> result;
    QBENCHMARK {
        result = mensurio::convert(row, direction, text, english);
    }
    QVERIFY(result.has_value());
}

QTEST_GUILESS_MAIN(BenchCore)
#include "bench_core.moc"
