#include <QTest>

// Filled in by the suite's author.
class Placeholder_notes : public QObject {
    Q_OBJECT
};

QTEST_MAIN(Placeholder_notes)
#include "test_notes.moc"
