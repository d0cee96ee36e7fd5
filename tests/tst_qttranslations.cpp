#include "app/qttranslations.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

using namespace Qt::StringLiterals;

class TestQtTranslations : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void standardButtons_data();
    void standardButtons();
};

// Rows run in order: English after French shows that going back to English takes Qt's French
// texts away again.
void TestQtTranslations::standardButtons_data()
{
    QTest::addColumn<bool>("french");
    QTest::addColumn<QString>("yes");
    QTest::addColumn<QString>("no");
    QTest::newRow("French") << true << u"&Oui"_s << u"&Non"_s;
    QTest::newRow("English") << false << u"&Yes"_s << u"&No"_s;
}

void TestQtTranslations::standardButtons()
{
    QFETCH(bool, french);
    QFETCH(QString, yes);
    QFETCH(QString, no);
    installQtTranslations(french);
    QMessageBox box(QMessageBox::Question, u"Zarvello"_s, u"?"_s,
                    QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), yes);
    QCOMPARE(box.button(QMessageBox::No)->text(), no);
}

QTEST_MAIN(TestQtTranslations)
#include "tst_qttranslations.moc"
