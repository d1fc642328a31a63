// printf-style formatting and the few C library conversions the program
// uses, in the "C" locale. Floating-point conversions go to the C runtime
// DLL every Windows 95 has (CRTDLL.DLL); everything else is done here.
#include <cstdarg>
#include <cstddef>
#include <cstdint>

// Declared here rather than through the headers, which declare the ctype
// functions defined below as the C runtime DLL's.
extern "C" {
__declspec(dllimport) int __stdcall WideCharToMultiByte(unsigned, unsigned long, const wchar_t*, int, char*, int,
                                                        const char*, int*);
__declspec(dllimport) int __cdecl _snprintf(char*, size_t, const char*, ...);
__declspec(dllimport) double __cdecl strtod(const char*, char**);
}

namespace {

struct Out {
    char* buf;
    size_t cap;
    size_t len;
    void Put(char c) {
        if (len + 1 < cap) buf[len] = c;
        ++len;
    }
    void Repeat(char c, int n) {
        while (n-- > 0) Put(c);
    }
};

int Lower(int c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

}  // namespace

extern "C" {

int __mingw_vsnprintf(char* buf, size_t cap, const char* fmt, va_list ap) {
    Out out{buf, cap, 0};
    for (const char* p = fmt; *p; ++p) {
        if (*p != '%') {
            out.Put(*p);
            continue;
        }
        const char* convStart = p;
        bool left = false, zero = false, plus = false, space = false, alt = false;
        for (;; ++p) {
            char f = p[1];
            if (f == '-') left = true;
            else if (f == '0') zero = true;
            else if (f == '+') plus = true;
            else if (f == ' ') space = true;
            else if (f == '#') alt = true;
            else break;
        }
        ++p;
        int width = 0;
        if (*p == '*') {
            width = va_arg(ap, int);
            if (width < 0) left = true, width = -width;
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
        }
        int prec = -1;
        if (*p == '.') {
            ++p;
            prec = 0;
            if (*p == '*') {
                prec = va_arg(ap, int);
                ++p;
            } else {
                while (*p >= '0' && *p <= '9') prec = prec * 10 + (*p++ - '0');
            }
        }
        int size = 0;  // -2 hh, -1 h, 0 int, 1 long, 2 long long, 3 long double
        for (;; ++p) {
            if (*p == 'h') size = size == -1 ? -2 : -1;
            else if (*p == 'l') size = size == 1 ? 2 : 1;
            else if (*p == 'L') size = 3;
            else if (*p == 'j' || *p == 'q') size = 2;
            else if (*p == 'z' || *p == 't') size = 0;
            else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') size = 2, p += 2;
            else if (p[0] == 'I' && p[1] == '3' && p[2] == '2') size = 0, p += 2;
            else break;
        }
        char conv = *p;
        if (!conv) break;
        switch (conv) {
        case '%':
            out.Put('%');
            break;
        case 'c': {
            char c = static_cast<char>(va_arg(ap, int));
            if (!left) out.Repeat(' ', width - 1);
            out.Put(c);
            if (left) out.Repeat(' ', width - 1);
            break;
        }
        case 'S':
            size = 1;
            [[fallthrough]];
        case 's':
            if (size == 1) {
                // A wide string, in the ANSI code page, a character at a time.
                const wchar_t* w = va_arg(ap, const wchar_t*);
                if (!w) w = L"(null)";
                char mb[8];
                int bytes = 0;
                for (const wchar_t* q = w; *q; ++q) {
                    int k = WideCharToMultiByte(0 /* CP_ACP */, 0, q, 1, mb, sizeof mb, nullptr, nullptr);
                    if (prec >= 0 && bytes + k > prec) break;
                    bytes += k;
                }
                if (!left) out.Repeat(' ', width - bytes);
                for (int done = 0; done < bytes; ++w) {
                    int k = WideCharToMultiByte(0, 0, w, 1, mb, sizeof mb, nullptr, nullptr);
                    for (int i = 0; i < k; ++i) out.Put(mb[i]);
                    done += k;
                }
                if (left) out.Repeat(' ', width - bytes);
                break;
            }
            {
                const char* s = va_arg(ap, const char*);
                if (!s) s = "(null)";
                int n = 0;
                while (s[n] && (prec < 0 || n < prec)) ++n;
                if (!left) out.Repeat(' ', width - n);
                for (int i = 0; i < n; ++i) out.Put(s[i]);
                if (left) out.Repeat(' ', width - n);
            }
            break;
        case 'n': {
            int* n = va_arg(ap, int*);
            if (n) *n = static_cast<int>(out.len);
            break;
        }
        case 'd': case 'i': case 'u': case 'x': case 'X': case 'o': case 'p': {
            uint64_t v;
            bool negative = false;
            if (conv == 'p') {
                v = reinterpret_cast<uintptr_t>(va_arg(ap, void*));
                conv = 'X';
                if (prec < 0) prec = static_cast<int>(2 * sizeof(void*));
            } else if (conv == 'd' || conv == 'i') {
                int64_t s = size == 2 ? va_arg(ap, long long) : size == 1 ? va_arg(ap, long) : va_arg(ap, int);
                if (size == -1) s = static_cast<short>(s);
                if (size == -2) s = static_cast<signed char>(s);
                negative = s < 0;
                v = negative ? 0 - static_cast<uint64_t>(s) : static_cast<uint64_t>(s);
            } else {
                v = size == 2 ? va_arg(ap, unsigned long long) : size == 1 ? va_arg(ap, unsigned long) : va_arg(ap, unsigned);
                if (size == -1) v = static_cast<unsigned short>(v);
                if (size == -2) v = static_cast<unsigned char>(v);
            }
            unsigned base = conv == 'o' ? 8 : (conv == 'x' || conv == 'X') ? 16 : 10;
            const char* digitChars = conv == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
            char digits[24];
            int n = 0;
            // 32-bit steps where the value fits, so the 64-bit division
            // helper only sees values that need it.
            while (v > 0xffffffffu) {
                digits[n++] = digitChars[v % base];
                v /= base;
            }
            for (uint32_t w = static_cast<uint32_t>(v); w; w /= base) digits[n++] = digitChars[w % base];
            if (prec < 0 && n == 0) digits[n++] = '0';
            char sign = negative ? '-' : plus ? '+' : space ? ' ' : 0;
            if (conv == 'u' || conv == 'x' || conv == 'X' || conv == 'o') sign = 0;
            const char* prefix = "";
            if (alt && n && (conv == 'x' || conv == 'X')) prefix = conv == 'x' ? "0x" : "0X";
            if (alt && conv == 'o' && (prec <= n)) prec = n + 1;
            int zeros = prec > n ? prec - n : 0;
            int total = n + zeros + (sign ? 1 : 0) + (prefix[0] ? 2 : 0);
            if (zero && !left && prec < 0 && width > total) zeros += width - total, total = width;
            if (!left) out.Repeat(' ', width - total);
            if (sign) out.Put(sign);
            for (const char* q = prefix; *q; ++q) out.Put(*q);
            out.Repeat('0', zeros);
            while (n) out.Put(digits[--n]);
            if (left) out.Repeat(' ', width - total);
            break;
        }
        case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': {
            double v = size == 3 ? static_cast<double>(va_arg(ap, long double)) : va_arg(ap, double);
            // The conversion again without a length modifier and with the width
            // and precision written out, for the runtime DLL.
            char conversion[40];
            int k = 0;
            conversion[k++] = '%';
            if (left) conversion[k++] = '-';
            if (zero) conversion[k++] = '0';
            if (plus) conversion[k++] = '+';
            if (space) conversion[k++] = ' ';
            if (alt) conversion[k++] = '#';
            k += _snprintf(conversion + k, sizeof conversion - k - 4, "%d", width);
            if (prec >= 0) k += _snprintf(conversion + k, sizeof conversion - k - 4, ".%d", prec > 60 ? 60 : prec);
            conversion[k++] = conv == 'F' ? 'f' : conv;
            conversion[k] = 0;
            char tmp[400];
            int n = _snprintf(tmp, sizeof tmp - 1, conversion, v);
            if (n < 0) n = sizeof tmp - 1;
            tmp[n] = 0;
            for (int i = 0; i < n; ++i) out.Put(tmp[i]);
            break;
        }
        default:
            // Unknown conversions are written as they stand.
            for (const char* q = convStart; q <= p; ++q) out.Put(*q);
            break;
        }
    }
    if (cap) buf[out.len < cap ? out.len : cap - 1] = 0;
    return static_cast<int>(out.len);
}

int __mingw_snprintf(char* buf, size_t cap, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    int n = __mingw_vsnprintf(buf, cap, fmt, ap);
    va_end(ap);
    return n;
}

int __mingw_vsprintf(char* buf, const char* fmt, va_list ap) {
    return __mingw_vsnprintf(buf, static_cast<size_t>(-1) / 2, fmt, ap);
}

int __mingw_sprintf(char* buf, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    int n = __mingw_vsprintf(buf, fmt, ap);
    va_end(ap);
    return n;
}

double __mingw_strtod(const char* s, char** end) { return strtod(s, end); }

int atoi(const char* s) {
    while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
    bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    unsigned v = 0;
    while (*s >= '0' && *s <= '9') v = v * 10 + static_cast<unsigned>(*s++ - '0');
    return negative ? -static_cast<int>(v) : static_cast<int>(v);
}

long atol(const char* s) { return atoi(s); }

int isalpha(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
int isdigit(int c) { return c >= '0' && c <= '9'; }
int isspace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
int isxdigit(int c) { return isdigit(c) || (Lower(c) >= 'a' && Lower(c) <= 'f'); }
int isalnum(int c) { return isalpha(c) || isdigit(c); }
int isupper(int c) { return c >= 'A' && c <= 'Z'; }
int islower(int c) { return c >= 'a' && c <= 'z'; }
int toupper(int c) { return islower(c) ? c - ('a' - 'A') : c; }
int tolower(int c) { return Lower(c); }
int iswdigit(wint_t c) { return c >= L'0' && c <= L'9'; }
int iswxdigit(wint_t c) { return c < 128 && isxdigit(c); }
int iswspace(wint_t c) { return c < 128 && isspace(c); }
wint_t towlower(wint_t c) { return c < 128 ? static_cast<wint_t>(Lower(c)) : c; }
wint_t towupper(wint_t c) { return c < 128 ? static_cast<wint_t>(toupper(c)) : c; }

int _strnicmp(const char* a, const char* b, size_t n) {
    for (; n; --n, ++a, ++b) {
        int x = Lower(static_cast<unsigned char>(*a)), y = Lower(static_cast<unsigned char>(*b));
        if (x != y) return x - y;
        if (!x) break;
    }
    return 0;
}

int _stricmp(const char* a, const char* b) { return _strnicmp(a, b, static_cast<size_t>(-1)); }

unsigned long strtoul(const char* s, char** end, int base) {
    const char* p = s;
    while (isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if ((base == 0 || base == 16) && p[0] == '0' && Lower(p[1]) == 'x') p += 2, base = 16;
    else if (base == 0) base = p[0] == '0' ? 8 : 10;
    unsigned long v = 0;
    bool any = false, overflow = false;
    for (;; ++p) {
        int c = static_cast<unsigned char>(*p);
        int d = isdigit(c) ? c - '0' : isalpha(c) ? Lower(c) - 'a' + 10 : 99;
        if (d >= base) break;
        any = true;
        if (v > (0xfffffffful - static_cast<unsigned>(d)) / static_cast<unsigned>(base)) overflow = true;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    if (end) *end = const_cast<char*>(any ? p : s);
    if (overflow) return 0xfffffffful;
    return negative ? 0 - v : v;
}

long strtol(const char* s, char** end, int base) {
    const char* p = s;
    while (isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    char* stop;
    unsigned long v = strtoul(negative || *p == '+' ? p + 1 : p, &stop, base);
    if (end) *end = stop == p + (negative || *p == '+') ? const_cast<char*>(s) : stop;
    // Out of range: the nearest representable value.
    if (!negative && v > 0x7ffffffful) return 0x7fffffffL;
    if (negative && v > 0x80000000ul) return -0x7fffffffL - 1;
    return negative ? -static_cast<long>(v - 1) - 1 : static_cast<long>(v);
}

unsigned long wcstoul(const wchar_t* s, wchar_t** end, int base) {
    const wchar_t* p = s;
    while (*p == L' ' || (*p >= L'\t' && *p <= L'\r')) ++p;
    bool negative = *p == L'-';
    if (*p == L'-' || *p == L'+') ++p;
    if ((base == 0 || base == 16) && p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) p += 2, base = 16;
    else if (base == 0) base = p[0] == L'0' ? 8 : 10;
    unsigned long v = 0;
    bool any = false, overflow = false;
    for (;; ++p) {
        int d = *p >= L'0' && *p <= L'9' ? *p - L'0' : *p < 128 && isalpha(*p) ? Lower(*p) - 'a' + 10 : 99;
        if (d >= base) break;
        any = true;
        if (v > (0xfffffffful - static_cast<unsigned>(d)) / static_cast<unsigned>(base)) overflow = true;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    if (end) *end = const_cast<wchar_t*>(any ? p : s);
    if (overflow) return 0xfffffffful;
    return negative ? 0 - v : v;
}

// Imported through a pointer where the headers declare the function as a
// DLL's.
int (*_imp__isalpha)(int) = isalpha;
int (*_imp__isdigit)(int) = isdigit;
int (*_imp__isspace)(int) = isspace;
int (*_imp__isxdigit)(int) = isxdigit;
int (*_imp__isalnum)(int) = isalnum;
int (*_imp__isupper)(int) = isupper;
int (*_imp__islower)(int) = islower;
int (*_imp__toupper)(int) = toupper;
int (*_imp__tolower)(int) = tolower;
int (*_imp___strnicmp)(const char*, const char*, size_t) = _strnicmp;
int (*_imp___stricmp)(const char*, const char*) = _stricmp;

}  // extern "C"

extern "C" double trunc(double x) {
    // Beyond 2^52 every double is whole (and NaN stays NaN).
    if (!(__builtin_fabs(x) < 4503599627370496.0)) return x;
    return x < 0 ? -static_cast<double>(static_cast<long long>(-x)) : static_cast<double>(static_cast<long long>(x));
}
