#include "host/PngWriter.h"

#include <algorithm>

namespace {
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    static uint32_t table[256];
    static bool made = false;
    if (!made) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        made = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBigEndian(out, Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
}

// Writes a deflate stream with the fixed Huffman codes, least significant bit first.
class BitWriter {
public:
    explicit BitWriter(std::string& out) : Out(out) {}
    void Bits(uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i) {
            Pending |= ((value >> i) & 1u) << Used;
            if (++Used == 8)
                Flush();
        }
    }
    // Huffman codes go most significant bit first.
    void Code(uint32_t code, int length)
    {
        for (int i = length - 1; i >= 0; --i)
            Bits((code >> i) & 1u, 1);
    }
    void Finish()
    {
        if (Used > 0)
            Flush();
    }

private:
    void Flush()
    {
        Out += static_cast<char>(Pending);
        Pending = 0;
        Used = 0;
    }
    std::string& Out;
    uint32_t Pending = 0;
    int Used = 0;
};

void Symbol(BitWriter& bits, int value)
{
    if (value < 144)
        bits.Code(0x30 + value, 8);
    else if (value < 256)
        bits.Code(0x190 + value - 144, 9);
    else if (value < 280)
        bits.Code(value - 256, 7);
    else
        bits.Code(0xC0 + value - 280, 8);
}

void Match(BitWriter& bits, int length, int distance)
{
    static const int lengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                     31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int lengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const int distanceBase[] = {1,   2,   3,   4,    5,    7,    9,    13,   17,    25,
                                       33,  49,  65,  97,   129,  193,  257,  385,  513,   769,
                                       1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    static const int distanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    int l = 28;
    while (lengthBase[l] > length)
        --l;
    Symbol(bits, 257 + l);
    bits.Bits(static_cast<uint32_t>(length - lengthBase[l]), lengthExtra[l]);
    int d = 29;
    while (distanceBase[d] > distance)
        --d;
    bits.Code(static_cast<uint32_t>(d), 5);
    bits.Bits(static_cast<uint32_t>(distance - distanceBase[d]), distanceExtra[d]);
}

size_t RunLength(const std::vector<uint8_t>& data, size_t at, size_t distance)
{
    if (distance == 0 || at < distance)
        return 0;
    size_t length = 0;
    while (at + length < data.size() && length < 258 && data[at + length] == data[at + length - distance])
        ++length;
    return length;
}

std::string Deflate(const std::vector<uint8_t>& data, size_t rowStride)
{
    std::string out;
    BitWriter bits(out);
    bits.Bits(1, 1);  // the only block
    bits.Bits(1, 2);  // fixed Huffman codes
    const size_t maxDistance = 32768;
    for (size_t at = 0; at < data.size();) {
        size_t bestLength = 0, bestDistance = 0;
        for (size_t distance : {size_t(3), rowStride}) {
            if (distance > maxDistance)
                continue;
            size_t length = RunLength(data, at, distance);
            if (length > bestLength) {
                bestLength = length;
                bestDistance = distance;
            }
        }
        if (bestLength >= 3) {
            Match(bits, static_cast<int>(bestLength), static_cast<int>(bestDistance));
            at += bestLength;
        } else {
            Symbol(bits, data[at]);
            ++at;
        }
    }
    Symbol(bits, 256);
    bits.Finish();
    return out;
}

uint32_t Adler32(const std::vector<uint8_t>& data)
{
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}
}

std::string EncodePng(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height)
{
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * height);
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        const uint8_t* row = rgb.data() + y * rowBytes;
        raw.insert(raw.end(), row, row + std::min(rowBytes, rgb.size() - std::min(rgb.size(), y * rowBytes)));
    }
    raw.resize((rowBytes + 1) * height, 0);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter choice, no interlace
    PutChunk(png, "IHDR", header);
    std::string zlib("\x78\x01", 2);
    zlib += Deflate(raw, rowBytes + 1);
    PutBigEndian(zlib, Adler32(raw));
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", "");
    return png;
}
