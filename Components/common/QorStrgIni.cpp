// The INI mode's store: an INI file kept line by line, so comments and foreign lines survive a
// rewrite.
#include "QorStrgStore.h"

#include <algorithm>

using QorStrgDetail::SameName;
using QorStrgDetail::Trim;

namespace {

// One line of an INI file cannot hold a line break.
std::string OneLine(std::string s) {
    std::replace(s.begin(), s.end(), '\r', ' ');
    std::replace(s.begin(), s.end(), '\n', ' ');
    return s;
}

// An INI file kept line by line, so comments and foreign lines survive a rewrite.
class TIniStore final : public TQorStorage::TStore {
public:
    explicit TIniStore(const QByteArray& data) {
        std::vector<std::string>* target = &preamble_;
        size_t start = 0;
        const std::string text = data.toStdString();
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            start = end + 1;
            const std::string trimmed = Trim(line);
            const size_t close = trimmed.find(']');
            if (!trimmed.empty() && trimmed[0] == '[' && close != std::string::npos) {
                sections_.push_back({Trim(trimmed.substr(1, close - 1)), {}});
                target = &sections_.back().Lines;
            } else {
                target->push_back(line);
            }
        }
    }

    std::optional<std::string> Find(const std::string& Section,
                                    const std::string& Ident) const override {
        const int s = SectionIndex(Section);
        if (s < 0)
            return std::nullopt;
        for (const auto& line : sections_[size_t(s)].Lines) {
            std::string ident;
            std::string value;
            if (SplitLine(line, ident, value) && SameName(ident, Ident))
                return value;
        }
        return std::nullopt;
    }
    void Set(const std::string& Section, const std::string& Ident,
             const std::string& Value) override {
        TSection& s = SectionOrNew(Section);
        const std::string value = OneLine(Value);
        for (auto& line : s.Lines) {
            std::string ident;
            std::string old;
            if (SplitLine(line, ident, old) && SameName(ident, Ident)) {
                line = ident + "=" + value;
                return;
            }
        }
        // New idents go after the section's last value, before trailing blank lines.
        auto at = s.Lines.end();
        while (at != s.Lines.begin() && Trim(*(at - 1)).empty())
            --at;
        s.Lines.insert(at, OneLine(Ident) + "=" + value);
    }
    void Remove(const std::string& Section, const std::string& Ident) override {
        const int s = SectionIndex(Section);
        if (s < 0)
            return;
        std::erase_if(sections_[size_t(s)].Lines, [&](const std::string& line) {
            std::string ident;
            std::string value;
            return SplitLine(line, ident, value) && SameName(ident, Ident);
        });
    }
    std::vector<std::string> Children(const std::string&) const override {
        std::vector<std::string> names;
        for (const auto& s : sections_)
            names.push_back(s.Name);
        return names;
    }
    void Erase(const std::string& Section) override {
        std::erase_if(sections_, [&](const TSection& s) { return SameName(s.Name, Section); });
    }
    QByteArray Serialize() const override {
        std::string out;
        for (const auto& line : preamble_)
            out += line + "\n";
        for (const auto& s : sections_) {
            out += "[" + s.Name + "]\n";
            for (const auto& line : s.Lines)
                out += line + "\n";
        }
        return QByteArray::fromStdString(out);
    }

private:
    struct TSection {
        std::string Name;
        std::vector<std::string> Lines;
    };

    static bool SplitLine(const std::string& line, std::string& ident, std::string& value) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos || Trim(line).starts_with(';'))
            return false;
        ident = Trim(line.substr(0, eq));
        value = Trim(line.substr(eq + 1));
        return !ident.empty();
    }
    int SectionIndex(const std::string& name) const {
        for (size_t i = 0; i < sections_.size(); ++i)
            if (SameName(sections_[i].Name, name))
                return int(i);
        return -1;
    }
    TSection& SectionOrNew(const std::string& name) {
        if (const int s = SectionIndex(name); s >= 0)
            return sections_[size_t(s)];
        std::vector<std::string>& before = sections_.empty() ? preamble_ : sections_.back().Lines;
        if (!before.empty() && !Trim(before.back()).empty())
            before.emplace_back();
        sections_.push_back({OneLine(name), {}});
        return sections_.back();
    }

    std::vector<std::string> preamble_;
    std::vector<TSection> sections_;
};

} // namespace

std::unique_ptr<TQorStorage::TStore> QorStrgDetail::MakeIniStore(const QByteArray& data) {
    return std::make_unique<TIniStore>(data);
}
