// The parts of the C++ library the program uses that live in its prebuilt
// archive rather than in headers: instantiated here from the headers, built
// like the rest of the program, without exceptions.
#include <windows.h>

#include <string>
#include <unordered_map>

template class std::__cxx11::basic_string<char>;
template class std::__cxx11::basic_string<wchar_t>;

namespace {
[[noreturn]] void Fatal(const char* what) {
    FatalAppExitA(0, what);
    ExitProcess(3);
}
}  // namespace

namespace std {
void __throw_bad_alloc() { Fatal("out of memory"); }
void __throw_bad_array_new_length() { Fatal("out of memory"); }
void __throw_length_error(const char* s) { Fatal(s); }
void __throw_logic_error(const char* s) { Fatal(s); }
void __throw_out_of_range(const char* s) { Fatal(s); }
void __throw_out_of_range_fmt(const char* s, ...) { Fatal(s); }
void __throw_invalid_argument(const char* s) { Fatal(s); }
void __throw_bad_function_call() { Fatal("bad function call"); }

namespace __detail {
// Bucket counts for the hash tables: odd numbers growing by about half, as
// near a prime as matters for pointer keys.
std::size_t _Prime_rehash_policy::_M_next_bkt(std::size_t n) const {
    std::size_t b = 11;
    while (b < n) b = (b + b / 2 + 1) | 1;
    _M_next_resize = static_cast<std::size_t>(b * static_cast<double>(_M_max_load_factor));
    return b;
}

std::pair<bool, std::size_t> _Prime_rehash_policy::_M_need_rehash(std::size_t buckets, std::size_t elements,
                                                                  std::size_t inserting) const {
    if (elements + inserting <= _M_next_resize) return {false, 0};
    double minBuckets = (elements + inserting) / static_cast<double>(_M_max_load_factor);
    if (minBuckets >= buckets) {
        std::size_t grown = buckets * _S_growth_factor;
        std::size_t want = static_cast<std::size_t>(minBuckets) + 1;
        return {true, _M_next_bkt(want > grown ? want : grown)};
    }
    _M_next_resize = static_cast<std::size_t>(buckets * static_cast<double>(_M_max_load_factor));
    return {false, 0};
}
}  // namespace __detail
}  // namespace std

extern "C" void __cxa_pure_virtual() { Fatal("pure virtual function call"); }
