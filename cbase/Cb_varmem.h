#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct CBaseArray;

// Layout of the record behind a 'D' value. Nothing reads one yet; it only has to be owned and
// released with its value.
struct CBaseDate {
    std::int16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
};

// A dynamically typed value: a one-character tag and a payload chosen by it.
//
//   'N' long double   'n' int32   'L' logical byte   'c' one char
//   'C' owned text    'D' owned date record          'A' a share of a CBaseArray
//   0   destroyed: owns nothing
//
// A value owns what its payload points to, so it cannot be copied; moving hands the payload over
// and leaves the source destroyed.
class CBase {
public:
    CBase() noexcept
        : m_tag(0)
    {
        m_payload.n = 0;
    }
    explicit CBase(std::string_view text);
    explicit CBase(const char* text)
        : CBase(std::string_view(text))
    {
    }
    explicit CBase(std::int32_t value) noexcept
        : m_tag('n')
    {
        m_payload.n = value;
    }

    // Spelled out by the named constructors below, so that CBase(2.9) or CBase(true) cannot
    // silently become an integer value.
    CBase(std::nullptr_t) = delete;
    CBase(bool) = delete;
    CBase(char) = delete;
    CBase(double) = delete;
    CBase(long double) = delete;

    static CBase Number(long double value) noexcept;
    static CBase Logical(std::uint8_t value) noexcept;
    static CBase Char(char value) noexcept;
    static CBase Date(const CBaseDate& date);
    // A new array of `count` destroyed (tag 0) elements, owned by the returned value alone.
    static CBase NewArray(std::size_t count);
    // One more value referring to `array`; raises its share count.
    static CBase Share(CBaseArray& array);

    CBase(const CBase&) = delete;
    CBase& operator=(const CBase&) = delete;
    CBase(CBase&& other) noexcept;
    CBase& operator=(CBase&& other) noexcept;
    ~CBase() { Destroy(); }

    // Releases what the value owns and sets the tag to 0. Destroying a destroyed value releases
    // nothing.
    void Destroy() noexcept;

    char Tag() const noexcept { return m_tag; }
    // The array of an 'A' value, null for any other tag.
    CBaseArray* Array() const noexcept { return m_tag == 'A' ? m_payload.A : nullptr; }

    // 'N' truncated toward zero, low 32 bits; 'n'; 'L'. Any other tag is fatal.
    std::int32_t Int() const noexcept;
    // 'C' or 'c'. Any other tag is fatal.
    std::string String() const;

private:
    char m_tag;
    union {
        long double N;
        std::int32_t n;
        std::uint8_t L;
        char c;
        std::string* C;
        CBaseDate* D;
        CBaseArray* A;
    } m_payload;
};
