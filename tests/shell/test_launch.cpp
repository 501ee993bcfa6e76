#include <QTest>

// Filled in by the suite's author.
class Placeholder_launch : public QObject {
    Q_OBJECT
};

QTEST_MAIN(Placeholder_launch)
#include "test_launch.moc"
