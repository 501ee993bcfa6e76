#include <QTest>

// Filled in by the suite's author.
class Placeholder_layout : public QObject {
    Q_OBJECT
};

QTEST_MAIN(Placeholder_layout)
#include "test_layout.moc"
