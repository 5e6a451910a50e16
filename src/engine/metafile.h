#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orlam {

// Builds a placeable Windows Metafile (the 16-bit WMF format with the "Aldus" placeable
// header), the picture format that office programs and image converters take in. Coordinates
// are logical units with y growing downwards.
class MetafileWriter {
public:
    using Colour = std::uint32_t; // 0x00BBGGRR, as the format stores it

    static constexpr Colour rgb(int r, int g, int b)
    {
        return static_cast<Colour>((r & 0xff) | ((g & 0xff) << 8) | ((b & 0xff) << 16));
    }

    // width and height in logical units; unitsPerInch sets the picture's printed size.
    MetafileWriter(int width, int height, int unitsPerInch);

    // Objects are created once and selected by the index returned.
    int createPen(Colour colour, int width);
    int createNullPen();
    int createBrush(Colour colour);
    int createNullBrush();
    int createFont(int height, bool bold, std::string_view face);
    void select(int object);

    void setTextColour(Colour colour);
    void rectangle(int left, int top, int right, int bottom);
    void ellipse(int left, int top, int right, int bottom);
    void line(int x1, int y1, int x2, int y2);
    // Text centred on (x, y) horizontally, with its top at y.
    void text(int x, int y, std::string_view text);

    // The finished file: placeable header, metafile header, records and the end record.
    std::string bytes() const;

private:
    void record(std::uint16_t function, const std::vector<std::uint16_t> &params);
    int nextObject();

    int mWidth;
    int mHeight;
    int mUnitsPerInch;
    int mObjects = 0;
    std::uint32_t mMaxRecordWords = 3;
    std::vector<std::uint16_t> mWords; // records only
};

} // namespace orlam
