// The C library's memory and string functions the program uses, over the
// process heap. Built with loop-to-call conversion off, so memset is not
// compiled into a call to itself.
#include <windows.h>

#include <cstddef>
#include <new>

extern "C" {

void* malloc(size_t n) { return HeapAlloc(GetProcessHeap(), 0, n ? n : 1); }

void* calloc(size_t count, size_t size) {
    if (size && count > static_cast<size_t>(-1) / size) return nullptr;
    size_t n = count * size;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, n ? n : 1);
}

void free(void* p) {
    if (p) HeapFree(GetProcessHeap(), 0, p);
}

void* realloc(void* p, size_t n) {
    if (!p) return malloc(n);
    if (!n) {
        free(p);
        return nullptr;
    }
    return HeapReAlloc(GetProcessHeap(), 0, p, n);
}

void* memcpy(void* dst, const void* src, size_t n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    for (; n >= 4; n -= 4, d += 4, s += 4) *reinterpret_cast<DWORD UNALIGNED*>(d) = *reinterpret_cast<const DWORD UNALIGNED*>(s);
    while (n--) *d++ = *s++;
    return dst;
}

void* memmove(void* dst, const void* src, size_t n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    if (d <= s || d >= s + n) return memcpy(dst, src, n);
    while (n--) d[n] = s[n];
    return dst;
}

void* memset(void* dst, int c, size_t n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    while (n--) *d++ = static_cast<unsigned char>(c);
    return dst;
}

int memcmp(const void* a, const void* b, size_t n) {
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (; n; --n, ++x, ++y)
        if (*x != *y) return *x < *y ? -1 : 1;
    return 0;
}

void* memchr(const void* p, int c, size_t n) {
    const unsigned char* s = static_cast<const unsigned char*>(p);
    for (; n; --n, ++s)
        if (*s == static_cast<unsigned char>(c)) return const_cast<unsigned char*>(s);
    return nullptr;
}

size_t strlen(const char* s) {
    const char* p = s;
    while (*p) ++p;
    return static_cast<size_t>(p - s);
}

size_t strnlen(const char* s, size_t max) {
    size_t n = 0;
    while (n < max && s[n]) ++n;
    return n;
}

int strcmp(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

int strncmp(const char* a, const char* b, size_t n) {
    for (; n; --n, ++a, ++b) {
        if (*a != *b) return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
        if (!*a) break;
    }
    return 0;
}

char* strchr(const char* s, int c) {
    for (;; ++s) {
        if (*s == static_cast<char>(c)) return const_cast<char*>(s);
        if (!*s) return nullptr;
    }
}

char* strrchr(const char* s, int c) {
    const char* last = nullptr;
    for (;; ++s) {
        if (*s == static_cast<char>(c)) last = s;
        if (!*s) return const_cast<char*>(last);
    }
}

char* strcpy(char* d, const char* s) {
    char* r = d;
    while ((*d++ = *s++)) {}
    return r;
}

char* strcat(char* d, const char* s) {
    strcpy(d + strlen(d), s);
    return d;
}

char* strstr(const char* h, const char* n) {
    size_t len = strlen(n);
    for (; *h; ++h)
        if (!strncmp(h, n, len)) return const_cast<char*>(h);
    return len ? nullptr : const_cast<char*>(h);
}

char* strncpy(char* d, const char* s, size_t n) {
    size_t i = 0;
    for (; i < n && s[i]; ++i) d[i] = s[i];
    for (; i < n; ++i) d[i] = 0;
    return d;
}

// Shell sort: small, and no recursion.
void qsort(void* base, size_t count, size_t size, int (*less)(const void*, const void*)) {
    unsigned char* b = static_cast<unsigned char*>(base);
    for (size_t gap = count / 2; gap; gap /= 2)
        for (size_t i = gap; i < count; ++i)
            for (size_t j = i; j >= gap && less(b + (j - gap) * size, b + j * size) > 0; j -= gap)
                for (size_t k = 0; k < size; ++k) {
                    unsigned char t = b[(j - gap) * size + k];
                    b[(j - gap) * size + k] = b[j * size + k];
                    b[j * size + k] = t;
                }
}

size_t wcslen(const wchar_t* s) {
    const wchar_t* p = s;
    while (*p) ++p;
    return static_cast<size_t>(p - s);
}

wchar_t* wmemcpy(wchar_t* d, const wchar_t* s, size_t n) {
    memcpy(d, s, n * sizeof(wchar_t));
    return d;
}

wchar_t* wmemmove(wchar_t* d, const wchar_t* s, size_t n) {
    memmove(d, s, n * sizeof(wchar_t));
    return d;
}

wchar_t* wmemset(wchar_t* d, wchar_t c, size_t n) {
    for (size_t i = 0; i < n; ++i) d[i] = c;
    return d;
}

int wmemcmp(const wchar_t* a, const wchar_t* b, size_t n) {
    for (; n; --n, ++a, ++b)
        if (*a != *b) return *a < *b ? -1 : 1;
    return 0;
}

wchar_t* wmemchr(const wchar_t* s, wchar_t c, size_t n) {
    for (; n; --n, ++s)
        if (*s == c) return const_cast<wchar_t*>(s);
    return nullptr;
}

}  // extern "C"

// Out of memory ends the program: there are no exceptions to throw.
static void* NewOrDie(size_t n) {
    void* p = malloc(n);
    if (!p) {
        FatalAppExitA(0, "out of memory");
        ExitProcess(3);
    }
    return p;
}

void* operator new(size_t n) { return NewOrDie(n); }
void* operator new[](size_t n) { return NewOrDie(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return malloc(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return malloc(n); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
