#include "metafile.h"

#include <algorithm>

namespace orlam {

namespace {

// Record function numbers of the format.
constexpr std::uint16_t setWindowOrg = 0x020B;
constexpr std::uint16_t setWindowExt = 0x020C;
constexpr std::uint16_t setBkMode = 0x0102;
constexpr std::uint16_t setTextColor = 0x0209;
constexpr std::uint16_t setTextAlign = 0x012E;
constexpr std::uint16_t createPenIndirect = 0x02FA;
constexpr std::uint16_t createBrushIndirect = 0x02FC;
constexpr std::uint16_t createFontIndirect = 0x02FB;
constexpr std::uint16_t selectObject = 0x012D;
constexpr std::uint16_t rectangleRecord = 0x041B;
constexpr std::uint16_t ellipseRecord = 0x0418;
constexpr std::uint16_t moveTo = 0x0214;
constexpr std::uint16_t lineTo = 0x0213;
constexpr std::uint16_t textOut = 0x0521;

constexpr std::uint16_t transparent = 1;
constexpr std::uint16_t alignCentreTop = 6;
constexpr std::uint16_t penSolid = 0;
constexpr std::uint16_t penNull = 5;
constexpr std::uint16_t brushSolid = 0;
constexpr std::uint16_t brushNull = 1;

std::uint16_t word(int value)
{
    return static_cast<std::uint16_t>(value & 0xffff);
}

void putWord(std::string &out, std::uint16_t value)
{
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>(value >> 8);
}

void putLong(std::string &out, std::uint32_t value)
{
    putWord(out, static_cast<std::uint16_t>(value & 0xffff));
    putWord(out, static_cast<std::uint16_t>(value >> 16));
}

// Packs bytes two to a word, little-endian, padding an odd count with a zero.
void appendBytes(std::vector<std::uint16_t> &params, std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto low = static_cast<unsigned char>(bytes[i]);
        const auto high = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        params.push_back(static_cast<std::uint16_t>(low | (high << 8)));
    }
}

} // namespace

MetafileWriter::MetafileWriter(int width, int height, int unitsPerInch)
    : mWidth(width), mHeight(height), mUnitsPerInch(unitsPerInch)
{
    record(setWindowOrg, {0, 0});
    record(setWindowExt, {word(height), word(width)});
    record(setBkMode, {transparent});
    record(setTextAlign, {alignCentreTop});
}

int MetafileWriter::nextObject()
{
    return mObjects++;
}

int MetafileWriter::createPen(Colour colour, int width)
{
    record(createPenIndirect, {penSolid, word(width), 0, word(static_cast<int>(colour & 0xffff)),
                               word(static_cast<int>(colour >> 16))});
    return nextObject();
}

int MetafileWriter::createNullPen()
{
    record(createPenIndirect, {penNull, 0, 0, 0, 0});
    return nextObject();
}

int MetafileWriter::createBrush(Colour colour)
{
    record(createBrushIndirect,
           {brushSolid, word(static_cast<int>(colour & 0xffff)), word(static_cast<int>(colour >> 16)), 0});
    return nextObject();
}

int MetafileWriter::createNullBrush()
{
    record(createBrushIndirect, {brushNull, 0, 0, 0});
    return nextObject();
}

int MetafileWriter::createFont(int height, bool bold, std::string_view face)
{
    std::vector<std::uint16_t> params{word(-height), 0, 0, 0, word(bold ? 700 : 400)};
    // italic, underline, strike-out, character set (ANSI), output precision, clip precision,
    // quality, pitch and family
    std::string flags{'\0', '\0', '\0', '\0', '\0', '\0', '\0', '\0'};
    appendBytes(params, flags);
    std::string name(face.substr(0, 31));
    name += '\0';
    appendBytes(params, name);
    record(createFontIndirect, params);
    return nextObject();
}

void MetafileWriter::select(int object)
{
    record(selectObject, {word(object)});
}

void MetafileWriter::setTextColour(Colour colour)
{
    record(setTextColor, {word(static_cast<int>(colour & 0xffff)), word(static_cast<int>(colour >> 16))});
}

void MetafileWriter::rectangle(int left, int top, int right, int bottom)
{
    record(rectangleRecord, {word(bottom), word(right), word(top), word(left)});
}

void MetafileWriter::ellipse(int left, int top, int right, int bottom)
{
    record(ellipseRecord, {word(bottom), word(right), word(top), word(left)});
}

void MetafileWriter::line(int x1, int y1, int x2, int y2)
{
    record(moveTo, {word(y1), word(x1)});
    record(lineTo, {word(y2), word(x2)});
}

void MetafileWriter::text(int x, int y, std::string_view text)
{
    std::vector<std::uint16_t> params{word(static_cast<int>(text.size()))};
    appendBytes(params, text);
    params.push_back(word(y));
    params.push_back(word(x));
    record(textOut, params);
}

void MetafileWriter::record(std::uint16_t function, const std::vector<std::uint16_t> &params)
{
    const auto size = static_cast<std::uint32_t>(3 + params.size());
    mWords.push_back(static_cast<std::uint16_t>(size & 0xffff));
    mWords.push_back(static_cast<std::uint16_t>(size >> 16));
    mWords.push_back(function);
    mWords.insert(mWords.end(), params.begin(), params.end());
    mMaxRecordWords = std::max(mMaxRecordWords, size);
}

std::string MetafileWriter::bytes() const
{
    std::string out;
    // Placeable header: key, handle, bounding box, units per inch, reserved, checksum.
    std::vector<std::uint16_t> placeable{
        0xCDD7, 0x9AC6, 0, 0, 0, word(mWidth), word(mHeight), word(mUnitsPerInch), 0, 0};
    std::uint16_t checksum = 0;
    for (std::uint16_t w : placeable)
        checksum ^= w;
    placeable.push_back(checksum);
    for (std::uint16_t w : placeable)
        putWord(out, w);

    const std::uint32_t headerWords = 9;
    const std::uint32_t eofWords = 3;
    const auto totalWords = static_cast<std::uint32_t>(headerWords + mWords.size() + eofWords);
    putWord(out, 1); // metafile in memory
    putWord(out, headerWords);
    putWord(out, 0x0300);
    putLong(out, totalWords);
    putWord(out, word(mObjects));
    putLong(out, mMaxRecordWords);
    putWord(out, 0);
    for (std::uint16_t w : mWords)
        putWord(out, w);
    putLong(out, eofWords);
    putWord(out, 0);
    return out;
}

} // namespace orlam
