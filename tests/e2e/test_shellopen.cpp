#include <QTest>

// Filled in by the suite's author.
class Placeholder_shellopen : public QObject {
    Q_OBJECT
};

QTEST_MAIN(Placeholder_shellopen)
#include "test_shellopen.moc"
