// The compiler's helper routines the program needs: 64-bit division and the
// stack probe. Written with 32-bit divisions only, so no instruction newer
// than the 486 is involved.
#include <cstdint>

namespace {

// (hi:lo) / d with hi < d: one hardware division.
inline uint32_t Div64By32(uint32_t hi, uint32_t lo, uint32_t d, uint32_t* rem) {
    uint32_t q, r;
    __asm__("divl %4" : "=a"(q), "=d"(r) : "a"(lo), "d"(hi), "rm"(d));
    *rem = r;
    return q;
}

uint64_t UDivMod(uint64_t n, uint64_t d, uint64_t* rem) {
    uint32_t nHi = static_cast<uint32_t>(n >> 32), nLo = static_cast<uint32_t>(n);
    uint32_t dHi = static_cast<uint32_t>(d >> 32), dLo = static_cast<uint32_t>(d);
    if (dHi == 0) {
        if (dLo == 0) {
            // As the hardware does: divide by zero.
            volatile uint32_t zero = 0;
            return nLo / zero;
        }
        uint32_t r;
        uint32_t qHi = 0;
        if (nHi >= dLo) {
            qHi = nHi / dLo;
            nHi %= dLo;
        }
        uint32_t qLo = Div64By32(nHi, nLo, dLo, &r);
        if (rem) *rem = r;
        return (static_cast<uint64_t>(qHi) << 32) | qLo;
    }
    // Divisor of 33 bits or more: the quotient fits 32 bits. Estimate it
    // from the divisor's top 32 bits and correct by at most one.
    int s = __builtin_clz(dHi);
    uint32_t v = static_cast<uint32_t>((d << s) >> 32);
    uint64_t n1 = n >> 1;
    uint32_t r;
    uint32_t q1 = Div64By32(static_cast<uint32_t>(n1 >> 32), static_cast<uint32_t>(n1), v, &r);
    uint64_t q = (static_cast<uint64_t>(q1) << s) >> 31;
    if (q) --q;
    uint64_t left = n - q * d;
    if (left >= d) {
        ++q;
        left -= d;
    }
    if (rem) *rem = left;
    return q;
}

}  // namespace

extern "C" {

uint64_t __udivmoddi4(uint64_t n, uint64_t d, uint64_t* rem) { return UDivMod(n, d, rem); }
uint64_t __udivdi3(uint64_t n, uint64_t d) { return UDivMod(n, d, nullptr); }

uint64_t __umoddi3(uint64_t n, uint64_t d) {
    uint64_t r;
    UDivMod(n, d, &r);
    return r;
}

int64_t __divdi3(int64_t n, int64_t d) {
    uint64_t un = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    uint64_t ud = d < 0 ? 0 - static_cast<uint64_t>(d) : static_cast<uint64_t>(d);
    uint64_t q = UDivMod(un, ud, nullptr);
    return static_cast<int64_t>((n < 0) != (d < 0) ? 0 - q : q);
}

int64_t __moddi3(int64_t n, int64_t d) {
    uint64_t un = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    uint64_t ud = d < 0 ? 0 - static_cast<uint64_t>(d) : static_cast<uint64_t>(d);
    uint64_t r;
    UDivMod(un, ud, &r);
    return static_cast<int64_t>(n < 0 ? 0 - r : r);
}

}  // extern "C"

// Frames larger than a page touch each page in turn, so the guard page
// below the stack grows it. EAX holds the frame size; every register is kept.
__asm__(
    ".text\n"
    ".globl ___chkstk_ms\n"
    "___chkstk_ms:\n"
    "    pushl %ecx\n"
    "    pushl %eax\n"
    "    leal 12(%esp), %ecx\n"
    "1:  cmpl $0x1000, %eax\n"
    "    jb 2f\n"
    "    subl $0x1000, %ecx\n"
    "    orl $0, (%ecx)\n"
    "    subl $0x1000, %eax\n"
    "    jmp 1b\n"
    "2:  subl %eax, %ecx\n"
    "    orl $0, (%ecx)\n"
    "    popl %eax\n"
    "    popl %ecx\n"
    "    ret\n");
