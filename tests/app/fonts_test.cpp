// The window's fonts: the installed families found at the program's start for the named ones are
// the ones Qt itself settles on for those names, so that asking for them directly changes
// nothing on the screen; a document still names the font the view stands in for.

#include "appfonts.h"
#include "fontwarmup.h"

#include <QFontInfo>
#include <QtTest>

using namespace orlam;

class FontsTest : public QObject {
    Q_OBJECT
private slots:
    void standInsAreQtsOwnChoice();
};

void FontsTest::standInsAreQtsOwnChoice()
{
    FontWarmUp::start();
    const DesktopFonts found = FontWarmUp::wait();
    // Without fontconfig's answer the window would still work, only slower: here it must answer.
    QVERIFY(!found.windowFamily.isEmpty());
    QVERIFY(!found.viewFamily.isEmpty());

    // Before: the named families, left to Qt.
    const QFont namedWindow = windowFont();
    const QFont namedView = viewFont();
    QCOMPARE(namedWindow.family(), QString::fromLatin1(WindowFontFamily));
    QCOMPARE(documentFamily(namedView), QString::fromLatin1(ViewFontFamily));

    useDesktopFonts(found);
    const QFont window = windowFont();
    const QFont view = viewFont();
    QCOMPARE(window.family(), found.windowFamily);
    QCOMPARE(QFontInfo(window).family(), QFontInfo(namedWindow).family());
    QCOMPARE(window.pixelSize(), namedWindow.pixelSize());
    QCOMPARE(QFontInfo(view).family(), QFontInfo(namedView).family());
    QCOMPARE(found.viewFixedPitch, QFontInfo(QFont(QString::fromLatin1(ViewFontFamily))).fixedPitch());
    QVERIFY(QFontInfo(view).fixedPitch());
    QCOMPARE(view.pixelSize(), namedView.pixelSize());
    // A saved document names Courier New, as before, whatever the screen shows in its place.
    QCOMPARE(documentFamily(view), QString::fromLatin1(ViewFontFamily));
    QFont other(QStringLiteral("DejaVu Sans"));
    QCOMPARE(documentFamily(other), QStringLiteral("DejaVu Sans"));
}

QTEST_MAIN(FontsTest)
#include "fonts_test.moc"
