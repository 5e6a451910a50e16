#include "reports/worddocument.h"

#include "thelemic/composition.h"

namespace orlam {

WordDocument::WordDocument() : mParagraphs{Paragraph{}} {}

void WordDocument::typeText(const QString &text)
{
    Paragraph &p = mParagraphs[mInsertion.paragraph];
    p.text.insert(mInsertion.offset, text);
    const int length = int(text.size());
    for (Bookmark &b : mBookmarks) {
        // A bookmark at the insertion point stays in front of what is typed there.
        for (Position *pos : {&b.start, &b.end}) {
            if (pos->paragraph == mInsertion.paragraph && pos->offset > mInsertion.offset)
                pos->offset += length;
        }
    }
    mInsertion.offset += length;
}

void WordDocument::typeParagraph()
{
    const Position at = mInsertion;
    Paragraph rest = mParagraphs[at.paragraph];
    rest.text = mParagraphs[at.paragraph].text.mid(at.offset);
    mParagraphs[at.paragraph].text.truncate(at.offset);
    mParagraphs.insert(at.paragraph + 1, rest);
    for (Bookmark &b : mBookmarks) {
        for (Position *pos : {&b.start, &b.end}) {
            if (pos->paragraph > at.paragraph)
                ++pos->paragraph;
            else if (pos->paragraph == at.paragraph && pos->offset > at.offset)
                *pos = {at.paragraph + 1, pos->offset - at.offset};
        }
    }
    mInsertion = {at.paragraph + 1, 0};
}

void WordDocument::moveInsertionPoint(Position to)
{
    const int paragraph = qBound(0, to.paragraph, int(mParagraphs.size()) - 1);
    mInsertion = {paragraph, qBound(0, to.offset, int(mParagraphs.at(paragraph).text.size()))};
}

void WordDocument::addBookmark(const QString &name)
{
    mBookmarks.removeIf([&](const Bookmark &b) { return b.name == name; });
    mBookmarks.append({name, mInsertion, mInsertion});
}

const WordDocument::Bookmark *WordDocument::bookmark(const QString &name) const
{
    for (const Bookmark &b : mBookmarks) {
        if (b.name == name)
            return &b;
    }
    return nullptr;
}

QList<int> WordDocument::insertParagraphsAtBookmark(const QString &name, const QStringList &lines,
                                                    const QString &fontFamily, double pointSize)
{
    Bookmark *target = nullptr;
    for (Bookmark &b : mBookmarks) {
        if (b.name == name)
            target = &b;
    }
    if (!target || lines.isEmpty())
        return {};
    // The lines go in as whole paragraphs; a bookmark inside a paragraph first splits it, so
    // that the text in front of it stays a paragraph of its own.
    if (target->start.offset > 0) {
        const Position split = target->start;
        Position saved = mInsertion;
        if (saved.paragraph > split.paragraph)
            ++saved.paragraph;
        else if (saved.paragraph == split.paragraph && saved.offset >= split.offset)
            saved = {split.paragraph + 1, saved.offset - split.offset};
        mInsertion = split;
        typeParagraph();
        mInsertion = saved;
        target->start = {split.paragraph + 1, 0};
    }
    const int first = target->start.paragraph;
    const int count = int(lines.size());
    for (int i = 0; i < count; ++i) {
        Paragraph p;
        p.text = lines.at(i);
        p.fontFamily = fontFamily;
        p.pointSize = pointSize;
        mParagraphs.insert(first + i, p);
    }
    for (Bookmark &b : mBookmarks) {
        if (&b == target)
            continue;
        for (Position *pos : {&b.start, &b.end}) {
            if (pos->paragraph >= first)
                pos->paragraph += count;
        }
    }
    if (mInsertion.paragraph >= first)
        mInsertion.paragraph += count;
    target->start = {first, 0};
    target->end = {first + count - 1, int(lines.last().size())};

    QList<int> numbers;
    for (int i = 0; i < count; ++i)
        numbers << first + i + 1;
    return numbers;
}

WordDocument::Paragraph *WordDocument::paragraph(int n)
{
    if (n < 1 || n > mParagraphs.size())
        return nullptr;
    return &mParagraphs[n - 1];
}

bool WordDocument::setAlignment(int n, Alignment alignment)
{
    Paragraph *p = paragraph(n);
    if (p)
        p->alignment = alignment;
    return p;
}

bool WordDocument::setPointSize(int n, double points)
{
    Paragraph *p = paragraph(n);
    if (p)
        p->pointSize = points;
    return p;
}

bool WordDocument::setItalic(int n, bool italic)
{
    Paragraph *p = paragraph(n);
    if (p)
        p->italic = italic;
    return p;
}

namespace {

// The index of the first of two consecutive lines that are the greetings, plain or quoted;
// -1 when the lines hold none.
int greetingsAt(const QStringList &lines)
{
    for (const bool quoted : {false, true}) {
        const QStringList greetings = greetingLines(quoted);
        for (int i = 0; i + 1 < lines.size(); ++i) {
            if (lines.at(i).trimmed() == greetings.at(0) && lines.at(i + 1).trimmed() == greetings.at(1))
                return i;
        }
    }
    return -1;
}

void formatGreeting(WordDocument &doc, int n)
{
    doc.setAlignment(n, WordDocument::Alignment::Centre);
    doc.setPointSize(n, GreetingPointSize);
    doc.setItalic(n, true);
}

} // namespace

WordDocument exportDocument(const QStringList &viewLines, int dateLines, const QString &viewFont,
                            double viewPointSize)
{
    WordDocument doc;
    doc.addBookmark(QLatin1String(FirstRealParaBookmark));
    const int viewGreetings = greetingsAt(viewLines);
    if (viewGreetings < 0) {
        const QStringList greetings = greetingLines(false);
        doc.typeText(greetings.at(0));
        doc.typeParagraph();
        formatGreeting(doc, doc.insertionPoint().paragraph);
        doc.addBookmark(QLatin1String(BodBookmark));
        doc.typeText(greetings.at(1));
        doc.typeParagraph();
        formatGreeting(doc, doc.insertionPoint().paragraph);
    }

    const QList<int> pasted = doc.insertParagraphsAtBookmark(QLatin1String(FirstRealParaBookmark), viewLines,
                                                             viewFont, viewPointSize);
    if (viewGreetings >= 0 && !pasted.isEmpty()) {
        const int opening = pasted.constFirst() + viewGreetings; // paragraph number, from 1
        formatGreeting(doc, opening);
        formatGreeting(doc, opening + 1);
        // "Bod" marks the start of the closing greeting, wherever it came from.
        const WordDocument::Position keep = doc.insertionPoint();
        doc.moveInsertionPoint({opening, 0}); // the index of paragraph number opening + 1
        doc.addBookmark(QLatin1String(BodBookmark));
        doc.moveInsertionPoint(keep);
    }
    // The date lines, counted from the start of the document; the rest of the pasted lines keep
    // the view's layout. A view shorter than the date (a verse) never gives its format to a
    // greeting, nor do the view's own greetings take it.
    int last = qMin(qBound(1, dateLines, MaxDateLines), int(pasted.size()));
    if (viewGreetings >= 0)
        last = qMin(last, viewGreetings);
    for (int n = 1; n <= last; ++n) {
        doc.setAlignment(n, WordDocument::Alignment::Right);
        doc.setPointSize(n, DateLinePointSize);
    }
    return doc;
}

} // namespace orlam
