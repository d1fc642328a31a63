#include "help/hlpfile.h"

#include <algorithm>
#include <cstring>

namespace hlp {
namespace {

// Every read checks the bytes left first, so no read goes past the buffer.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : p_(data), left_(size) {}
    bool U8(uint8_t* v) {
        if (left_ < 1) return false;
        *v = *p_++;
        --left_;
        return true;
    }
    bool U16(uint16_t* v) {
        if (left_ < 2) return false;
        *v = static_cast<uint16_t>(p_[0] | p_[1] << 8);
        p_ += 2;
        left_ -= 2;
        return true;
    }
    bool U32(uint32_t* v) {
        if (left_ < 4) return false;
        *v = static_cast<uint32_t>(p_[0]) | static_cast<uint32_t>(p_[1]) << 8 |
             static_cast<uint32_t>(p_[2]) << 16 | static_cast<uint32_t>(p_[3]) << 24;
        p_ += 4;
        left_ -= 4;
        return true;
    }
    bool Bytes(size_t n, std::string* s) {
        if (left_ < n) return false;
        s->assign(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        left_ -= n;
        return true;
    }
    bool Str16(std::string* s) {
        uint16_t n;
        return U16(&n) && Bytes(n, s);
    }
    bool Sub(size_t n, Reader* sub) {
        if (left_ < n) return false;
        *sub = Reader(p_, n);
        p_ += n;
        left_ -= n;
        return true;
    }
    size_t left() const { return left_; }

private:
    const uint8_t* p_;
    size_t left_;
};

void Put16(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutStr16(std::vector<uint8_t>* out, const std::string& s) {
    Put16(out, static_cast<uint32_t>(s.size()));
    out->insert(out->end(), s.begin(), s.end());
}

}  // namespace

bool Parse(const uint8_t* data, size_t size, File* out) {
    out->topics.clear();
    if (!data || size < sizeof kMagic || std::memcmp(data, kMagic, sizeof kMagic) != 0) return false;
    Reader r(data + sizeof kMagic, size - sizeof kMagic);
    uint32_t count;
    if (!r.U32(&count) || count == 0 || count > kMaxTopics) return false;
    std::vector<Topic> topics(count);
    uint32_t allKeywords = 0;
    for (Topic& t : topics) {
        uint16_t keywords;
        if (!r.Str16(&t.title) || !r.U16(&keywords)) return false;
        allKeywords += keywords;
        if (allKeywords > kMaxKeywords) return false;
        t.keywords.resize(keywords);
        for (std::string& k : t.keywords)
            if (!r.Str16(&k) || k.empty()) return false;
        uint32_t bodySize;
        Reader body(nullptr, 0);
        if (!r.U32(&bodySize) || !r.Sub(bodySize, &body)) return false;
        while (body.left() > 0) {
            Run run;
            uint8_t kind;
            if (!body.U8(&kind) || !body.U16(&run.target) || !body.Str16(&run.text)) return false;
            if (kind < kText || kind > kLineEnd) return false;
            run.kind = static_cast<RunKind>(kind);
            if (run.kind == kLink && run.target >= count) return false;
            t.runs.push_back(std::move(run));
        }
    }
    if (r.left() != 0) return false;
    out->topics = std::move(topics);
    return true;
}

std::vector<uint8_t> Write(const File& file) {
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    Put32(&out, static_cast<uint32_t>(file.topics.size()));
    for (const Topic& t : file.topics) {
        PutStr16(&out, t.title);
        Put16(&out, static_cast<uint32_t>(t.keywords.size()));
        for (const std::string& k : t.keywords) PutStr16(&out, k);
        std::vector<uint8_t> body;
        for (const Run& run : t.runs) {
            body.push_back(run.kind);
            Put16(&body, run.target);
            PutStr16(&body, run.text);
        }
        Put32(&out, static_cast<uint32_t>(body.size()));
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

std::vector<int> FindKeyword(const File& file, const std::string& key) {
    std::vector<int> found;
    if (key.empty()) return found;
    for (size_t i = 0; i < file.topics.size(); ++i) {
        for (const std::string& k : file.topics[i].keywords) {
            if (k.compare(0, key.size(), key) == 0) {
                found.push_back(static_cast<int>(i));
                break;
            }
        }
    }
    return found;
}

}  // namespace hlp
