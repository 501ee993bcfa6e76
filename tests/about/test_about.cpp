#include <QTest>

// Filled in by the suite's author.
class Placeholder_about : public QObject {
    Q_OBJECT
};

QTEST_MAIN(Placeholder_about)
#include "test_about.moc"
