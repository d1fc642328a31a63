// The shipped files' own runtime, checked inside a file linked on it: the
// format functions, 64-bit division, the stack probe, static constructors,
// the string and hash table parts instantiated there, the C library
// functions. Prints each failed check; the exit code is their number.
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

int g_failures;
std::string g_order;

void Say(const std::string& text) {
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Check(bool ok, const std::string& what) {
    if (ok) return;
    ++g_failures;
    Say("FAILED: " + what + "\n");
}

void CheckText(const std::string& got, const std::string& want, const char* what) {
    Check(got == want, std::string(what) + ": got \"" + got + "\", want \"" + want + "\"");
}

// Static constructors run before WinMain, in the order of definition.
struct Mark {
    explicit Mark(const char* m) { g_order += m; }
};
Mark g_first("a");
Mark g_second("b");

template <typename... A>
std::string Format(const char* fmt, A... args) {
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

void CheckFormat() {
    CheckText(Format("%d|%5d|%-5d|%05d|%+d", 42, -42, -42, -42, 7), "42|  -42|-42  |-0042|+7", "widths and flags");
    CheckText(Format("%x %X %08lx %#x %o", 255, 255, 0xabcUL, 255, 8), "ff FF 00000abc 0xff 10", "hex and octal");
    CheckText(Format("%llu", 18446744073709551615ULL), "18446744073709551615", "%llu");
    CheckText(Format("%lld", -9223372036854775807LL - 1), "-9223372036854775808", "%lld");
    CheckText(Format("%u %li", 4294967295u, -2147483647L - 1), "4294967295 -2147483648", "%u %li");
    CheckText(Format("%.3s|%-4s|%3s|%c|%%", "abcdef", "ab", "x", 'y'), "abc|ab  |  x|y|%", "strings");
    CheckText(Format("%02d:%02d:%03d", 5, 7, 9), "05:07:009", "zero padding");
    CheckText(Format("[%ls|%-4ls|%.2ls]", L"wide", L"ab", L"xyz"), "[wide|ab  |xy]", "wide strings");
    CheckText(Format("%*d|%.*d", 4, 1, 3, 2), "   1|002", "star width and precision");
    CheckText(Format("%.2f|%8.3f|%f", 3.14159, -2.5, 0.5), "3.14|  -2.500|0.500000", "floating point");
    char small[5];
    int n = std::snprintf(small, sizeof small, "%d", 123456);
    Check(n == 6 && std::string(small) == "1234", "truncated output: length and terminator");
    Check(std::snprintf(nullptr, 0, "%s", "abc") == 3, "length without a buffer");
}

void CheckDivision() {
    struct Case {
        uint64_t n, d, q, r;
    };
    static const Case cases[] = {
        {0xFFFFFFFFFFFFFFFFULL, 0x3ULL, 0x5555555555555555ULL, 0x0ULL},
        {0xDE0B6B3A7640000ULL, 0x7ULL, 0x1FB87D085A09249ULL, 0x1ULL},
        {0x123456789ABCDEF0ULL, 0x10ULL, 0x123456789ABCDEFULL, 0x0ULL},
        {0xFFFFFFFF00000000ULL, 0xFFFFFFFFULL, 0x100000000ULL, 0x0ULL},
        {0x5FFFFFFFFULL, 0x6ULL, 0xFFFFFFFFULL, 0x5ULL},
        {0xFFFFFFFFFFFFFFFFULL, 0x100000001ULL, 0xFFFFFFFFULL, 0x0ULL},
        {0x8000000000003039ULL, 0x200000001ULL, 0x3FFFFFFFULL, 0x1C000303AULL},
        {0xFFFFFFFFFFFFFFFFULL, 0xFFFFFFFFFFFFFFFFULL, 0x1ULL, 0x0ULL},
        {0x7FFFFFFFFFFFFFFFULL, 0x8000000000000000ULL, 0x0ULL, 0x7FFFFFFFFFFFFFFFULL},
        {0xFFFFFFFFFFFFFFFEULL, 0xFFFFFFFF00000001ULL, 0x1ULL, 0xFFFFFFFDULL},
        {0x1B69B4BA630F34EULL, 0x3B9ACA07ULL, 0x75BCD14ULL, 0x8D48FC2ULL},
        {0x100000000ULL, 0xFFFFFFFFULL, 0x1ULL, 0x1ULL},
        {0xDEADBEEFCAFEBABEULL, 0x1FFFFFFFFULL, 0x6F56DF78ULL, 0x3A559A36ULL},
    };
    for (const Case& c : cases) {
        volatile uint64_t n = c.n, d = c.d;
        Check(n / d == c.q && n % d == c.r, Format("%llu / %llu", c.n, c.d));
    }
    volatile int64_t sn = -7000000000LL, sd = 3;
    Check(sn / sd == -2333333333LL && sn % sd == -1, "signed division rounds toward zero");
    sd = -3;
    Check(sn / sd == 2333333333LL && sn % sd == -1, "negative divisor");
    // Many quotients of every size, checked by multiplying back.
    uint64_t x = 88172645463325252ULL;
    bool ok = true;
    for (int i = 0; i < 20000 && ok; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        uint64_t n = x;
        uint64_t d = (x * 2862933555777941757ULL) >> (i % 64);
        if (!d) continue;
        volatile uint64_t vn = n, vd = d;
        uint64_t q = vn / vd, r = vn % vd;
        ok = r < d && q * d + r == n;
        if (!ok) Check(false, Format("%llu / %llu gave %llu remainder %llu", n, d, q, r));
    }
}

__attribute__((noinline)) int BigFrame(int seed) {
    // Larger than a few pages: the stack probe must touch each.
    volatile char frame[20000];
    frame[0] = static_cast<char>(seed);
    frame[sizeof frame - 1] = static_cast<char>(seed + 1);
    return frame[0] + frame[sizeof frame - 1];
}

void CheckLibrary() {
    Check(g_order == "ab", "static constructors in order, got \"" + g_order + "\"");
    Check(BigFrame(3) == 7, "large stack frame");
    char* end = nullptr;
    Check(std::strtod("12345.5", nullptr) == 12345.5, "strtod");
    Check(std::strtod("  -0.25x", &end) == -0.25 && *end == 'x', "strtod end");
    Check(std::trunc(-2.7) == -2.0 && std::trunc(2.7) == 2.0 && std::trunc(1e300) == 1e300, "trunc");
    Check(std::atoi(" -123abc") == -123, "atoi");
    Check(std::strtol(" -2147483648", &end, 10) == -2147483647L - 1 && *end == 0 &&
              std::strtol("99999999999", nullptr, 10) == 2147483647L && std::strtoul("0x1f", &end, 0) == 31 &&
              std::strtol("z", &end, 10) == 0 && *end == 'z',
          "strtol, strtoul");
    int sorted[] = {5, -1, 3, 3, 9, 0};
    std::qsort(sorted, 6, sizeof(int), [](const void* a, const void* b) {
        return *static_cast<const int*>(a) - *static_cast<const int*>(b);
    });
    Check(sorted[0] == -1 && sorted[1] == 0 && sorted[2] == 3 && sorted[3] == 3 && sorted[5] == 9, "qsort");
    Check(wcstoul(L"ff", nullptr, 16) == 255 && wcstoul(L"0x1A", nullptr, 0) == 26 &&
              wcstoul(L"4294967296", nullptr, 10) == 4294967295UL,
          "wcstoul");
    char buf[16] = "abcdefghij";
    std::memmove(buf + 2, buf, 5);
    CheckText(buf, "ababcdehij", "memmove up");
    std::memmove(buf, buf + 3, 4);
    CheckText(buf, "bcdecdehij", "memmove down");
    Check(std::memcmp("ab\xff", "ab\x01", 3) > 0 && std::strncmp("abc", "abd", 2) == 0, "memcmp, strncmp");
    int* zeros = static_cast<int*>(std::calloc(1000, sizeof(int)));
    bool allZero = zeros != nullptr;
    for (int i = 0; allZero && i < 1000; ++i) allZero = zeros[i] == 0;
    Check(allZero, "calloc clears");
    zeros[999] = 5;
    zeros = static_cast<int*>(std::realloc(zeros, 100000 * sizeof(int)));
    Check(zeros && zeros[999] == 5, "realloc keeps");
    std::free(zeros);
}

void CheckContainers() {
    std::string s = "item" + std::to_string(-123);
    s.append(40, 'x');
    CheckText(s.substr(0, 8), "item-123", "string append and to_string");
    Check(s.find('x') == 8 && s.rfind('x') == 47 && s.size() == 48, "string find");
    std::string moved = std::move(s);
    Check(moved.size() == 48, "string move");
    std::wstring w = L"abc";
    w += L"def";
    Check(w.size() == 6 && w.find(L'd') == 3, "wide string");
    std::unordered_map<int*, int> map;
    std::vector<int> cells(5000);
    for (int i = 0; i < 5000; ++i) map[&cells[i]] = i;
    bool found = map.size() == 5000;
    for (int i = 0; found && i < 5000; ++i) found = map.count(&cells[i]) && map[&cells[i]] == i;
    Check(found, "hash table keeps every entry across rehashes");
    for (int i = 0; i < 5000; i += 2) map.erase(&cells[i]);
    Check(map.size() == 2500 && !map.count(&cells[0]) && map.count(&cells[1]), "hash table erase");
}

// Red-black rules below a node: no red node with a red child, the same
// number of black nodes on every path, parents linked back. Returns the
// black height, or -1 when a rule is broken.
int BlackHeight(const std::_Rb_tree_node_base* n, const std::_Rb_tree_node_base* parent) {
    if (!n) return 1;
    if (n->_M_parent != parent) return -1;
    bool red = n->_M_color == std::_S_red;
    if (red && ((n->_M_left && n->_M_left->_M_color == std::_S_red) ||
                (n->_M_right && n->_M_right->_M_color == std::_S_red)))
        return -1;
    int l = BlackHeight(n->_M_left, n), r = BlackHeight(n->_M_right, n);
    if (l < 0 || l != r) return -1;
    return l + (red ? 0 : 1);
}

template <typename Set>
bool TreeSound(const Set& set) {
    const std::_Rb_tree_node_base* header = set.end()._M_node;
    const std::_Rb_tree_node_base* root = header->_M_parent;
    if (!root) return set.empty() && header->_M_left == header && header->_M_right == header;
    if (root->_M_color != std::_S_black || BlackHeight(root, header) < 0) return false;
    const std::_Rb_tree_node_base* lo = root;
    while (lo->_M_left) lo = lo->_M_left;
    const std::_Rb_tree_node_base* hi = root;
    while (hi->_M_right) hi = hi->_M_right;
    return header->_M_left == lo && header->_M_right == hi;
}

void CheckTreesAndLists() {
    // Random inserts and erases against a table of which keys are in.
    std::set<int> set;
    std::map<int, int> map;
    bool in[300] = {};
    uint32_t x = 2463534242u;
    bool ok = true;
    for (int round = 0; round < 6000 && ok; ++round) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        int key = static_cast<int>(x % 300);
        if ((x >> 16) % 3) {
            set.insert(key);
            map[key] = key * 2;
            in[key] = true;
        } else {
            set.erase(key);
            map.erase(key);
            in[key] = false;
        }
        if (round % 97 == 0 || round > 5900) {
            std::vector<int> want, got, back;
            for (int k = 0; k < 300; ++k)
                if (in[k]) want.push_back(k);
            for (int k : set) got.push_back(k);
            for (auto it = set.rbegin(); it != set.rend(); ++it) back.insert(back.begin(), *it);
            ok = got == want && back == want && map.size() == want.size() && TreeSound(set) && TreeSound(map);
            for (int k : want) ok = ok && map.at(k) == k * 2 && *set.lower_bound(k) == k;
            if (!ok) Check(false, Format("tree after %d steps", round));
        }
    }
    while (!set.empty()) set.erase(set.begin());
    Check(TreeSound(set) && set.begin() == set.end(), "tree emptied");

    std::list<int> list = {1, 2, 3};
    list.push_front(0);
    list.push_back(4);
    list.erase(std::next(list.begin(), 2));
    std::list<int> other = {7, 8};
    list.splice(std::next(list.begin()), other);
    list.reverse();
    CheckText(Format("%d%d%d%d%d%d", list.front(), *std::next(list.begin()), *std::next(list.begin(), 2),
                     *std::next(list.begin(), 3), *std::next(list.begin(), 4), list.back()),
              "431870", "list hook, unhook, transfer, reverse");
    std::list<int> empty;
    list.swap(empty);
    Check(list.empty() && empty.size() == 6 && empty.back() == 0, "list swap with an empty list");
    empty.sort();
    Check(empty.front() == 0 && empty.back() == 8 && other.empty(), "list sort");
}

// At exit the registered functions run last first; one that finds them out
// of order ends the process with a failing code of its own.
int g_steps;
bool g_lastRanFirst;
void AtExitLast() {
    if (!g_lastRanFirst || g_steps != 99) {
        Say("FAILED: exit functions out of order or missing\n");
        ExitProcess(100);
    }
}
void AtExitStep() { ++g_steps; }
void AtExitFirst() { g_lastRanFirst = g_steps == 0; }

void CheckExit() {
    bool ok = std::atexit(AtExitLast) == 0;
    for (int i = 0; i < 99; ++i) ok = ok && std::atexit(AtExitStep) == 0;
    Check(ok && std::atexit(AtExitFirst) == 0, "atexit");
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CheckFormat();
    CheckDivision();
    CheckLibrary();
    CheckContainers();
    CheckTreesAndLists();
    CheckExit();
    Say(g_failures ? Format("%d runtime check(s) failed\n", g_failures) : std::string("runtime checks passed\n"));
    return g_failures;
}
