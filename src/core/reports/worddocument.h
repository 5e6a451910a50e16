#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace orlam {

// A word-processor document as the export builds it: paragraphs of plain text, each with one
// alignment and one character format, bookmarks between characters, and an insertion point.
// The operations are those a word processor's automation offers: type text, type a paragraph
// break, add a bookmark at the insertion point, insert paragraphs at a bookmark, and format a
// paragraph by its number.
class WordDocument {
public:
    enum class Alignment { Left, Centre, Right };

    struct Paragraph {
        QString text;
        Alignment alignment = Alignment::Left;
        double pointSize = 0; // 0: the document's default size
        bool italic = false;
        QString fontFamily; // empty: the document's default font
    };

    // A place in the text: paragraph index (0-based) and character offset in it.
    struct Position {
        int paragraph = 0;
        int offset = 0;
        bool operator==(const Position &other) const
        {
            return paragraph == other.paragraph && offset == other.offset;
        }
    };

    struct Bookmark {
        QString name;
        Position start;
        Position end; // equal to start for a bookmark at a point
    };

    // A new document: one empty paragraph, the insertion point at its start.
    WordDocument();

    // Text typed at the insertion point (no line breaks in it); the insertion point follows.
    void typeText(const QString &text);
    // A paragraph break at the insertion point: the rest of the paragraph moves into a new one
    // with the same format; the insertion point goes to its start.
    void typeParagraph();
    // Moves the insertion point; a position outside the text is kept to its nearest end.
    void moveInsertionPoint(Position to);
    // A bookmark at the insertion point; one of the same name is replaced.
    void addBookmark(const QString &name);
    // Paragraphs inserted in front of the bookmark's start, each a line of `lines`, with the
    // given font and size; the bookmark then spans them. Later positions move down. Returns
    // the 1-based numbers of the inserted paragraphs, empty when the bookmark does not exist
    // or `lines` is empty.
    QList<int> insertParagraphsAtBookmark(const QString &name, const QStringList &lines,
                                          const QString &fontFamily, double pointSize);

    // Paragraph n, counted from 1 as a word processor numbers them; false when there is none.
    bool setAlignment(int n, Alignment alignment);
    bool setPointSize(int n, double points);
    bool setItalic(int n, bool italic);

    const QList<Paragraph> &paragraphs() const { return mParagraphs; }
    const QList<Bookmark> &bookmarks() const { return mBookmarks; }
    const Bookmark *bookmark(const QString &name) const;
    Position insertionPoint() const { return mInsertion; }

private:
    Paragraph *paragraph(int n);

    QList<Paragraph> mParagraphs;
    QList<Bookmark> mBookmarks;
    Position mInsertion;
};

// The document the export makes of the view's lines in a new document: the bookmark
// "FirstRealPara", the opening greeting typed and formatted (centred, italic, 10 points), the
// bookmark "Bod", the closing greeting formatted likewise, then the view's lines inserted at
// "FirstRealPara", in front of the opening greeting, in the view's fixed-pitch font at
// `viewPointSize`, so that a report's columns stay in line. Paragraphs 1 to `dateLines` (the
// date lines, 1 to 3) are then set right-aligned at 8 points, as far as they are the view's
// lines and not greetings.
// When the view already holds the two greeting lines (plain or quoted) they are not typed a
// second time: the view's own greeting lines are formatted as greetings instead and "Bod" is
// placed at the closing one.
WordDocument exportDocument(const QStringList &viewLines, int dateLines,
                            const QString &viewFont = QStringLiteral("Courier New"),
                            double viewPointSize = 10);

constexpr auto FirstRealParaBookmark = "FirstRealPara";
constexpr auto BodBookmark = "Bod";
constexpr double GreetingPointSize = 10;
constexpr double DateLinePointSize = 8;
constexpr int MaxDateLines = 3;

} // namespace orlam
