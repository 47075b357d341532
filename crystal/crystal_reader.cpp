// The crystal file is one stream of fields separated by whitespace; line
// breaks mean nothing of their own. The fields, in order: the atom count;
// for each atom x, y, z and its element word; then the cell periods along x
// and z. Nothing after them is read.
//
// Field grammar. Each field skips whitespace (tab, LF, VT, FF, CR, space;
// nothing else), then takes the longest run of bytes its grammar accepts,
// leaving the first byte that cannot continue it for the next field:
//   integer  [+-]? digit+                       decimal only: 010 is ten
//   real     [+-]? mantissa ([eE] [+-]? digit+)?
//            mantissa = digit+ ("." digit*)? | "." digit+
//   word     every byte up to the next whitespace or the end of the data
// An "e" or "E" right after a mantissa always starts an exponent, so "0Er"
// is a bad real, while "0 Er" is the real 0 and the word Er.
//
// The C library's number readers are not used: they follow the locale (the
// decimal point), accept more than this grammar (hexadecimal, inf, nan,
// leading blanks after a sign) and need the whole number in memory, while
// here the file is streamed through a fixed buffer and a number may be of
// any length.
//
// Conditions. The read is good, ended (a field ran into the end of the data)
// or failed (a field did not match its grammar, or found no data at all).
// Ended and failed are sticky: once either is set, every further field fails
// at once without reading. A field that fails stores nothing, so every field
// from the first failure on keeps its start value.
#include "crystal/crystal_reader.h"

#include "crystal/real_number.h"
#include "platform/platform.h"

#include <cstdint>

namespace tilegrid {
namespace {

constexpr int EndOfData = -1;

// A read position in a byte source, refilled through a fixed buffer.
class Cursor {
public:
    explicit Cursor(ByteSource& source) : source_(source) {}

    // The next byte, or EndOfData; it stays unread.
    int peek() {
        if (position_ == filled_ && !refill()) return EndOfData;
        return static_cast<unsigned char>(buffer_[position_]);
    }
    void advance() { ++position_; }

private:
    bool refill() {
        if (exhausted_) return false;
        position_ = 0;
        filled_ = source_.readSome(buffer_, sizeof buffer_);
        exhausted_ = filled_ == 0;
        return !exhausted_;
    }

    ByteSource& source_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    bool exhausted_ = false;
    char buffer_[16 * 1024];
};

bool isWhitespace(int byte) {
    return byte == ' ' || (byte >= '\t' && byte <= '\r');  // 9 to 13
}

bool isDigit(int byte) { return byte >= '0' && byte <= '9'; }

struct ReadCondition {
    bool ended = false;
    bool failed = false;
};

// Reads the fields of the grammar above from a cursor, keeping the read
// condition. Each field function returns true only when the field got a
// value.
class FieldReader {
public:
    explicit FieldReader(ByteSource& source) : cursor_(source) {}

    // The value of the digits, saturated beyond the 32-bit range; the sign is
    // applied.
    bool readInteger(std::int64_t& value) {
        if (!beginField()) return false;
        const bool negative = takeSign();
        if (!isDigit(peekNoting())) return fail();
        std::int64_t magnitude = 0;
        for (int byte = peekNoting(); isDigit(byte); byte = peekNoting()) {
            if (magnitude <= IntegerLimit) magnitude = magnitude * 10 + (byte - '0');
            cursor_.advance();
        }
        value = negative ? -magnitude : magnitude;
        return true;
    }

    bool readReal(float& value) {
        if (!beginField()) return false;
        RealNumber number;
        if (takeSign()) number.setNegative();
        bool mantissaDigits = false;
        for (int byte = peekNoting(); isDigit(byte); byte = peekNoting()) {
            number.addIntegerDigit(static_cast<char>(byte));
            mantissaDigits = true;
            cursor_.advance();
        }
        if (peekNoting() == '.') {
            cursor_.advance();
            for (int byte = peekNoting(); isDigit(byte); byte = peekNoting()) {
                number.addFractionDigit(static_cast<char>(byte));
                mantissaDigits = true;
                cursor_.advance();
            }
        }
        if (!mantissaDigits) return fail();
        const int marker = peekNoting();
        if (marker == 'e' || marker == 'E') {
            cursor_.advance();
            if (takeSign()) number.setNegativeExponent();
            if (!isDigit(peekNoting())) return fail();
            for (int byte = peekNoting(); isDigit(byte); byte = peekNoting()) {
                number.addExponentDigit(static_cast<char>(byte));
                cursor_.advance();
            }
        }
        float result = 0.0f;
        if (!number.toFloat(result)) return fail();
        value = result;
        return true;
    }

    // Keeps the first two bytes of the word, zero-terminated, and drops the
    // rest of it.
    bool readWord(char (&symbol)[3]) {
        if (!beginField()) return false;
        char kept[3] = {};
        int keptCount = 0;
        for (int byte = peekNoting(); byte != EndOfData && !isWhitespace(byte); byte = peekNoting()) {
            if (keptCount < 2) kept[keptCount++] = static_cast<char>(byte);
            cursor_.advance();
        }
        for (int i = 0; i < 3; ++i) symbol[i] = kept[i];
        return true;
    }

    // Sets the read to failed, as a field that does not match its grammar.
    bool fail() {
        condition_.failed = true;
        return false;
    }

private:
    // Any count beyond this is out of the 32-bit range either way.
    static constexpr std::int64_t IntegerLimit = std::int64_t{1} << 32;

    // The rule that every field starts with: after an ended or failed read
    // the field fails at once; otherwise whitespace is skipped, and a field
    // that finds only whitespace before the end of the data fails.
    bool beginField() {
        if (condition_.ended || condition_.failed) return fail();
        int byte = peekNoting();
        while (isWhitespace(byte)) {
            cursor_.advance();
            byte = peekNoting();
        }
        return byte != EndOfData || fail();
    }

    // Peeks, and sets the read to ended when the data has ended.
    int peekNoting() {
        const int byte = cursor_.peek();
        if (byte == EndOfData) condition_.ended = true;
        return byte;
    }

    // Takes an optional sign; true for a minus.
    bool takeSign() {
        const int byte = peekNoting();
        if (byte != '+' && byte != '-') return false;
        cursor_.advance();
        return byte == '-';
    }

    Cursor cursor_;
    ReadCondition condition_;
};

void readAtom(FieldReader& fields, Atom& atom) {
    fields.readReal(atom.x);
    fields.readReal(atom.y);
    fields.readReal(atom.z);
    fields.readWord(atom.symbol);
}

}  // namespace

CrystalFileStatus readCrystal(ByteSource& source, Crystal& crystal) {
    crystal = Crystal{};
    FieldReader fields(source);
    std::int64_t count = 0;
    if (fields.readInteger(count)) {
        if (count > MaxAtoms) return CrystalFileStatus::TooManyAtoms;
        // A count below the 32-bit range is a bad number like any other.
        if (count < INT32_MIN) {
            fields.fail();
        } else {
            crystal.atomCount = static_cast<std::int32_t>(count);
        }
    }
    for (std::int32_t j = 0; j < crystal.atomCount; ++j) readAtom(fields, crystal.atoms[j]);
    fields.readReal(crystal.translatex);
    fields.readReal(crystal.translatez);
    return CrystalFileStatus::Read;
}

CrystalFileStatus readCrystalFile(const char* path, Crystal& crystal) {
    platform::InputFile file;
    if (!file.open(path)) return CrystalFileStatus::CannotOpen;
    const CrystalFileStatus status = readCrystal(file, crystal);
    file.close();
    return status;
}

}  // namespace tilegrid

