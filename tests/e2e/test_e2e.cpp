#include <QTest>

// Filled in by the suite's author.
class Placeholder_e2e : public QObject {
    Q_OBJECT
};

QTEST_MAIN(Placeholder_e2e)
#include "test_e2e.moc"
