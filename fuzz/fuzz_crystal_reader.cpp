// Arbitrary bytes as a crystal file. The reader gets them in pieces of
// varying sizes, and the model it builds must equal, bit for bit, the model
// that a plain reference reading of the same bytes gives. The reference works
// on the whole input at once and hands the text of each number to the C
// library's correctly rounded strtof, so it shares neither the streaming
// cursor nor the digit-by-digit number building with the reader.
#include "crystal/crystal_reader.h"
#include "memory_stream.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using tilegrid::Atom;
using tilegrid::Crystal;
using tilegrid::CrystalFileStatus;
using tilegrid::MaxAtoms;

[[noreturn]] void failCheck(const char* what, long index) {
    std::fprintf(stderr, "crystal reader check failed: %s (index %ld)\n", what, index);
    std::abort();
}

// The crystal file format, read straight from the grammar: whitespace is
// tab, LF, VT, FF, CR and space; a field that fails, or meets the end of the
// data before it begins, stores nothing and makes every later field fail.
// Whether a field ran into the end of the data needs no tracking here: after
// such a field no byte is left, so the next field fails in any case.
class ReferenceReader {
public:
    ReferenceReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // The count as a 64-bit value; digits beyond any 32-bit value only make
    // it larger, so it is held at a bound far outside that range.
    bool integer(long long& value) {
        if (!begin()) return false;
        std::size_t p = position_;
        const bool negative = p < size_ && data_[p] == '-';
        p = afterSign(p);
        const std::size_t end = afterDigits(p);
        if (end == p) return fail();
        long long magnitude = 0;
        for (std::size_t i = p; i < end; ++i) {
            magnitude = std::min(magnitude * 10 + (data_[i] - '0'), 100'000'000'000LL);
        }
        value = negative ? -magnitude : magnitude;
        position_ = end;
        return true;
    }

    bool real(float& value) {
        if (!begin()) return false;
        const std::size_t integerStart = afterSign(position_);
        const std::size_t integerEnd = afterDigits(integerStart);
        bool mantissaDigits = integerEnd > integerStart;
        std::size_t end = integerEnd;
        if (end < size_ && data_[end] == '.') {
            const std::size_t fractionEnd = afterDigits(end + 1);
            mantissaDigits = mantissaDigits || fractionEnd > end + 1;
            end = fractionEnd;
        }
        if (!mantissaDigits) return fail();
        if (end < size_ && (data_[end] == 'e' || data_[end] == 'E')) {
            const std::size_t exponentStart = afterSign(end + 1);
            const std::size_t exponentEnd = afterDigits(exponentStart);
            if (exponentEnd == exponentStart) return fail();
            end = exponentEnd;
        }
        const std::string text(reinterpret_cast<const char*>(data_) + position_, end - position_);
        char* stop = nullptr;
        const float parsed = std::strtof(text.c_str(), &stop);
        if (stop != text.c_str() + text.size()) failCheck("reference: strtof stopped early", 0);
        // A number beyond the float range is a bad number; one too small to
        // tell from zero becomes the nearest subnormal or a signed zero,
        // which strtof gives as it is.
        if (std::isinf(parsed)) return fail();
        value = parsed;
        position_ = end;
        return true;
    }

    bool word(char (&symbol)[3]) {
        if (!begin()) return false;
        std::size_t end = position_;
        while (end < size_ && !isWhitespace(data_[end])) ++end;
        const std::size_t kept = std::min<std::size_t>(end - position_, 2);
        char result[3] = {};
        std::memcpy(result, data_ + position_, kept);
        std::memcpy(symbol, result, sizeof result);
        position_ = end;
        return true;
    }

    bool fail() {
        failed_ = true;
        return false;
    }

private:
    static bool isWhitespace(std::uint8_t byte) { return byte == ' ' || (byte >= 9 && byte <= 13); }

    bool begin() {
        if (failed_) return false;
        while (position_ < size_ && isWhitespace(data_[position_])) ++position_;
        return position_ < size_ || fail();
    }

    std::size_t afterSign(std::size_t p) const {
        return p < size_ && (data_[p] == '+' || data_[p] == '-') ? p + 1 : p;
    }

    std::size_t afterDigits(std::size_t p) const {
        while (p < size_ && data_[p] >= '0' && data_[p] <= '9') ++p;
        return p;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

// The expected model, starting from all zero. A count above the table's
// capacity is refused as TooManyAtoms; a count below the 32-bit range is a
// bad number.
CrystalFileStatus referenceRead(const std::uint8_t* data, std::size_t size, Crystal& crystal) {
    crystal = Crystal{};
    ReferenceReader fields(data, size);
    long long count = 0;
    if (fields.integer(count)) {
        if (count > MaxAtoms) return CrystalFileStatus::TooManyAtoms;
        if (count < INT32_MIN) {
            fields.fail();
        } else {
            crystal.atomCount = static_cast<std::int32_t>(count);
        }
    }
    for (std::int32_t j = 0; j < crystal.atomCount; ++j) {
        Atom& atom = crystal.atoms[j];
        fields.real(atom.x);
        fields.real(atom.y);
        fields.real(atom.z);
        fields.word(atom.symbol);
    }
    fields.real(crystal.translatex);
    fields.real(crystal.translatez);
    return CrystalFileStatus::Read;
}

// Tells -0 from 0; copied into integers so that the table's 20000 floats are
// compared without a call each.
bool sameBits(float a, float b) {
    std::uint32_t aBits = 0;
    std::uint32_t bBits = 0;
    std::memcpy(&aBits, &a, sizeof a);
    std::memcpy(&bBits, &b, sizeof b);
    return aBits == bBits;
}

bool sameSymbol(const char (&a)[3], const char (&b)[3]) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

// The model's own invariants, whatever the input.
void checkInvariants(const Crystal& crystal, CrystalFileStatus status) {
    if (status != CrystalFileStatus::Read && status != CrystalFileStatus::TooManyAtoms) {
        failCheck("readCrystal returned a status other than Read or TooManyAtoms", 0);
    }
    if (status != CrystalFileStatus::TooManyAtoms && crystal.atomCount > MaxAtoms) {
        failCheck("atomCount above MaxAtoms", crystal.atomCount);
    }
    for (int j = 0; j < MaxAtoms; ++j) {
        // A word may begin with a zero byte, so only the third byte is sure
        // to be zero.
        if (crystal.atoms[j].symbol[2] != '\0') failCheck("symbol not zero-terminated after two bytes", j);
    }
}

void checkEqual(const Crystal& actual, const Crystal& expected) {
    if (actual.atomCount != expected.atomCount) failCheck("atomCount", actual.atomCount);
    // The whole table: entries beyond the count must have stayed zero too.
    for (int j = 0; j < MaxAtoms; ++j) {
        const Atom& a = actual.atoms[j];
        const Atom& e = expected.atoms[j];
        if (!sameBits(a.x, e.x)) failCheck("atom x", j);
        if (!sameBits(a.y, e.y)) failCheck("atom y", j);
        if (!sameBits(a.z, e.z)) failCheck("atom z", j);
        if (!sameSymbol(a.symbol, e.symbol)) failCheck("atom symbol", j);
    }
    if (!sameBits(actual.translatex, expected.translatex)) failCheck("translatex", 0);
    if (!sameBits(actual.translatez, expected.translatez)) failCheck("translatez", 0);
}

// A valid model in which no field is zero, so that a field the reader
// forgets to reset cannot pass for one it set to zero.
void fillNonzero(Crystal& crystal) {
    crystal.atomCount = 3;
    for (Atom& atom : crystal.atoms) atom = Atom{7.0f, -7.0f, 0.5f, {'#', '#', '\0'}};
    crystal.translatex = 9.0f;
    crystal.translatez = -9.0f;
}

// Large enough to be kept out of the stack frame.
Crystal expected;
Crystal actual;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CrystalFileStatus expectedStatus = referenceRead(data, size, expected);

    // Whole pieces first, then small and uneven ones from a seed taken from
    // the input. The model starts with no field zero each time: every field
    // that the file does not provide must come out zero all the same.
    for (const std::uint64_t seed : {std::uint64_t{0}, tilegrid::fuzz::hashBytes(data, size) | 1}) {
        fillNonzero(actual);
        tilegrid::fuzz::PieceSource source(data, size, seed);
        const CrystalFileStatus status = tilegrid::readCrystal(source, actual);
        checkInvariants(actual, status);
        if (status != expectedStatus) failCheck("status differs from the reference reading", 0);
        // How much of a refused file ends up in the model is not fixed.
        if (status == CrystalFileStatus::Read) checkEqual(actual, expected);
    }
    return 0;
}
