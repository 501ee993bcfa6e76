#include "core/catalogue.h"
#include "core/product.h"
#include "core/valuetext.h"
#include "expected.h"

#include <QTest>

#include <limits>

using namespace mensurio;

namespace {
const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
} // namespace

class TestCore : public QObject {
    Q_OBJECT

private slots:
    void conversions_data();
    void conversions();
    void unreadableTextConvertsToNothing_data();
    void unreadableTextConvertsToNothing();
    void readValue_data();
    void readValue();
    void writeValue_data();
    void writeValue();
    void catalogueTextsAreConsistent();
    void productFacts_data();
    void productFacts();
};

void TestCore::conversions_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    // Every pair both ways: 2 forward and 10 backward, multiplied out by hand.
    const struct {
        const char* window;
        const char* twice;
        const char* tenTimes;
    } factors[] = {
        {"Weight1", "0.9072", "22.045855"},    {"Weight2", "0.4", "50"},
        {"Weight3", "56.7", "0.352734"},       {"Weight4", "62.206954", "0.321507"},
        {"Weight5", "12.7005864", "1.57473"},  {"Length1", "3.218", "6.21504"},
        {"Length2", "1.8288", "10.936133"},    {"Length3", "6.5616798", "3.048"},
        {"Length4", "60.96", "0.328084"},      {"Length5", "5.08", "3.937008"},
        {"Area1", "0.1858", "107.64263"},      {"Area2", "12.9032", "1.550003"},
        {"Area3", "1.6722548", "11.9599"},     {"Area4", "5.18", "3.861004"},
        {"Area5", "0.8094", "24.709661"},      {"Volume1", "32.774128", "0.610237"},
        {"Volume2", "0.0566336", "353.14667"}, {"Volume3", "2.615901", "7.645549"},
        {"Volume4", "7.57082", "2.641722"},
    };
    for (const auto& row : factors) {
        QTest::addRow("%s forward 2", row.window) << row.window << true << "2" << row.twice;
        QTest::addRow("%s backward 10", row.window) << row.window << false << "10" << row.tenTimes;
    }

    // The short constants are the contract, not the exact unit definitions.
    QTest::newRow("Area1 forward 3 hides rounding noise") << "Area1" << true << "3"
                                                          << "0.2787";
    QTest::newRow("Area1 forward 100") << "Area1" << true << "100"
                                       << "9.29";
    QTest::newRow("Area1 backward 1 short factor") << "Area1" << false << "1"
                                                   << "10.764263";
    QTest::newRow("Length1 forward 1") << "Length1" << true << "1"
                                       << "1.609";
    QTest::newRow("Length1 backward 1") << "Length1" << false << "1"
                                        << "0.621504";
    QTest::newRow("Weight2 forward 1") << "Weight2" << true << "1"
                                       << "0.2";
    QTest::newRow("Weight2 backward 1") << "Weight2" << false << "1"
                                        << "5";
    QTest::newRow("Length5 negative zero") << "Length5" << true << "-0"
                                           << "0";
    QTest::newRow("Length5 negative value") << "Length5" << true << "-1.5"
                                            << "-3.81";
    QTest::newRow("Weight2 reads 0. as zero") << "Weight2" << true << "0."
                                              << "0";

    QTest::newRow("Temp1 forward 212") << "Temp1" << true << "212"
                                       << "100";
    QTest::newRow("Temp1 forward 32") << "Temp1" << true << "32"
                                      << "0";
    QTest::newRow("Temp1 forward -40") << "Temp1" << true << "-40"
                                       << "-40";
    QTest::newRow("Temp1 backward 100") << "Temp1" << false << "100"
                                        << "212";
    QTest::newRow("Temp1 backward 0") << "Temp1" << false << "0"
                                      << "32";
    QTest::newRow("Temp2 forward 0 uses 460") << "Temp2" << true << "0"
                                              << "-460";
    QTest::newRow("Temp2 forward 273.15") << "Temp2" << true << "273.15"
                                          << "31.67";
    QTest::newRow("Temp2 backward 32 has 15 digits") << "Temp2" << false << "32"
                                                     << "273.333333333333";
    QTest::newRow("Temp3 forward 0") << "Temp3" << true << "0"
                                     << "273.15";
    QTest::newRow("Temp3 backward 0") << "Temp3" << false << "0"
                                      << "-273.15";

    // Rows where another order of the same operations writes different last digits:
    // (x - 32) / 9 * 5 against (x - 32) * 5 / 9, and x * 9 / 5 - 460 against x * 1.8 - 460.
    QTest::newRow("Temp1 forward order 14.12") << "Temp1" << true << "14.12"
                                               << "-9.93333333333334";
    QTest::newRow("Temp1 forward order 14.91") << "Temp1" << true << "14.91"
                                               << "-9.49444444444444";
    QTest::newRow("Temp2 forward order 200.015") << "Temp2" << true << "200.015"
                                                 << "-99.9730000000001";
    QTest::newRow("Temp2 backward order 2.34") << "Temp2" << false << "2.34"
                                               << "256.855555555556";
}

void TestCore::conversions()
{
    QFETCH(QString, window);
    QFETCH(bool, forward);
    QFETCH(QString, input);
    QFETCH(QString, expected);

    const std::optional<PairId> id = pairByWindow(window);
    QVERIFY(id);
    const std::optional<QString> result =
        convert(unitPair(*id), forward ? Direction::Forward : Direction::Backward, input, english);
    QVERIFY(result);
    QCOMPARE(*result, expected);
}

void TestCore::unreadableTextConvertsToNothing_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("input");

    QTest::newRow("empty") << "Length5"
                           << "";
    QTest::newRow("lone minus") << "Length5"
                                << "-";
    QTest::newRow("lone point") << "Length5"
                                << ".";
    QTest::newRow("two points") << "Length5"
                                << "1.2.3";
    QTest::newRow("minus between digits") << "Length5"
                                          << "1-2";
    QTest::newRow("beyond double range") << "Length5" << QString(400, QLatin1Char('9'));
    // A readable input whose product overflows has no value text either.
    QTest::newRow("result beyond range") << "Length4" << QString(308, QLatin1Char('9'));
}

void TestCore::unreadableTextConvertsToNothing()
{
    QFETCH(QString, window);
    QFETCH(QString, input);
    QVERIFY(!convert(unitPair(*pairByWindow(window)), Direction::Forward, input, english));
}

void TestCore::readValue_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<double>("value");

    QTest::newRow("integer") << english << "42" << true << 42.0;
    QTest::newRow("decimal") << english << "2.5" << true << 2.5;
    QTest::newRow("zero point") << english << "0." << true << 0.0;
    QTest::newRow("double zero") << english << "00" << true << 0.0;
    QTest::newRow("leading point") << english << ".5" << true << 0.5;
    QTest::newRow("negative") << english << "-7.25" << true << -7.25;
    QTest::newRow("German decimal comma") << german << "2,5" << true << 2.5;
    // "0." is what the "00" rule writes; it must read as zero where "." is no decimal sign.
    for (const char* name : {"de_DE", "sv_SE", "ar_EG", "fa_IR"})
        QTest::addRow("%s zero point", name) << QLocale(QLatin1String(name)) << "0." << true << 0.0;
    QTest::newRow("Arabic decimal sign")
        << QLocale(QStringLiteral("ar_EG")) << QString::fromUtf8("2\u066B5") << true << 2.5;
    // No grouping is read in any locale; "." is a decimal point everywhere, "," wherever
    // it is no group separator.
    struct Reading {
        const char* text;
        bool readable;          // under C and en_US, whose group separator is ","
        bool readableElsewhere; // de_DE, sv_SE, ar_EG
        double value;
    };
    for (const Reading& row :
         {Reading{"0.125", true, true, 0.125}, Reading{"1.000", true, true, 1.0},
          Reading{"0.500", true, true, 0.5}, Reading{"1,5", false, true, 1.5},
          Reading{"1,000", false, true, 1.0}, Reading{"1,000.5", false, false, 0},
          Reading{"1.000,5", false, false, 0}, Reading{"1E+15", true, true, 1e15}}) {
        for (const char* name : {"C", "en_US", "de_DE", "sv_SE", "ar_EG"}) {
            const bool comma = QByteArray(name) == "C" || QByteArray(name) == "en_US";
            const bool readable = comma ? row.readable : row.readableElsewhere;
            QTest::addRow("%s %s", name, row.text)
                << QLocale(QLatin1String(name)) << row.text << readable << row.value;
        }
    }
    // The locales' own group separators never make a number.
    QTest::newRow("sv_SE grouped")
        << QLocale(QStringLiteral("sv_SE")) << QString::fromUtf8("1\u00A0000") << false << 0.0;
    QTest::newRow("ar_EG grouped")
        << QLocale(QStringLiteral("ar_EG")) << QString::fromUtf8("1\u066C000") << false << 0.0;
    QTest::newRow("empty") << english << "" << false << 0.0;
    QTest::newRow("minus") << english << "-" << false << 0.0;
    QTest::newRow("point") << english << "." << false << 0.0;
    QTest::newRow("two points") << english << "1..2" << false << 0.0;
    QTest::newRow("minus between digits") << english << "3-4" << false << 0.0;
    QTest::newRow("overflow") << english << QString(309, QLatin1Char('9')) << false << 0.0;
}

void TestCore::readValue()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(bool, readable);
    QFETCH(double, value);

    const std::optional<double> result = mensurio::readValue(text, locale);
    QCOMPARE(result.has_value(), readable);
    if (readable)
        QCOMPARE(*result, value);
}

void TestCore::writeValue_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole number") << english << 30.0 << "30";
    QTest::newRow("no grouping") << english << 1234567.5 << "1234567.5";
    QTest::newRow("negative") << english << -2.5 << "-2.5";
    QTest::newRow("negative zero") << english << -0.0 << "0";
    QTest::newRow("15 digits") << english << 0.1 + 0.2 << "0.3";
    QTest::newRow("largest plain") << english << 123456789012345.0 << "123456789012345";
    QTest::newRow("exponent 15") << english << 1e15 << "1E+15";
    QTest::newRow("exponent rounded") << english << 1234567890123456.0 << "1.23456789012346E+15";
    QTest::newRow("smallest plain") << english << 0.0001 << "0.0001";
    QTest::newRow("small exponent") << english << 0.00001 << "1E-05";
    QTest::newRow("large exponent") << english << 1e100 << "1E+100";
    // Rounded up, the largest doubles would be written past the range of a double.
    QTest::newRow("largest double stays readable")
        << english << -std::numeric_limits<double>::max() << "-1.79769313486231E+308";
    QTest::newRow("German separator") << german << 5.08 << "5,08";
    QTest::newRow("German no grouping") << german << 1234567.5 << "1234567,5";
}

void TestCore::writeValue()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);

    const std::optional<QString> result = mensurio::writeValue(value, locale);
    QVERIFY(result);
    QCOMPARE(*result, text);
}

void TestCore::catalogueTextsAreConsistent()
{
    // Titles and entries are stored as texts; a typo in one of them would show in the
    // main window or break the direction test, so check their shape against the units.
    int perCategory[5] = {};
    QSet<QString> windows;
    for (const UnitPair& pair : catalogue()) {
        const QString first = QString::fromLatin1(pair.firstUnit);
        const QString second = QString::fromLatin1(pair.secondUnit);
        QCOMPARE(pair.titleText(), first + " <> " + second);
        QCOMPARE(QString::fromLatin1(pair.firstEntry), first + " - " + second);
        const QString expectedSecond =
            second + " - " + first + (pair.id == PairId::Area2 ? " " : "");
        QCOMPARE(QString::fromLatin1(pair.secondEntry), expectedSecond);
        QCOMPARE(&unitPair(pair.id), &pair);
        QVERIFY(pair.windowName().startsWith(pair.category == Category::Temperature
                                                 ? QStringLiteral("Temp")
                                                 : categoryWord(pair.category)));
        windows.insert(pair.windowName());
        ++perCategory[static_cast<int>(pair.category)];
    }
    QCOMPARE(windows.size(), 22);
    QCOMPARE(QString::fromLatin1(unitPair(PairId::Area2).secondEntry).size(), 24);
    const int expectedCounts[5] = {5, 5, 5, 3, 4}; // weight, length, area, temperature, volume
    for (int i = 0; i < 5; ++i)
        QCOMPARE(perCategory[i], expectedCounts[i]);
}

void TestCore::productFacts_data()
{
    QTest::addColumn<QString>("fact");
    QTest::addColumn<QString>("expected");

    // Each fact the build sets, against what users, menus and packages know it by.
    QTest::newRow("name") << product::text(product::name) << "Mensurio";
    QTest::newRow("version") << product::text(product::version) << "1.2";
    QTest::newRow("program") << product::text(product::program) << "mensurio";
    QTest::newRow("maker") << product::text(product::maker) << "Tarnwick Software";
    QTest::newRow("app id") << product::text(product::appId) << "com.example.Mensurio";
    QTest::newRow("home page") << product::text(product::homePage) << expected::homePage;
    QTest::newRow("support address")
        << product::text(product::supportAddress) << expected::supportAddress;
    QTest::newRow("licence file") << product::text(product::licenceFile) << expected::licenceFile;
    QTest::newRow("name and version") << product::nameAndVersion() << expected::nameAndVersion;
}

void TestCore::productFacts()
{
    QFETCH(QString, fact);
    QFETCH(QString, expected);
    QCOMPARE(fact, expected);
}

QTEST_GUILESS_MAIN(TestCore)
#include "test_core.moc"
