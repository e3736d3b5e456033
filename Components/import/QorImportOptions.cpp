#include "QorImportOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

std::string_view Bare(std::string_view Name) {
    while (!Name.empty() && Name.front() == '-')
        Name.remove_prefix(1);
    return Name;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool Number(std::string_view s, double& v) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty())
        return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// One to three numbers separated by commas.
std::string Numbers(std::string_view Name, std::string_view Text, std::vector<double>& Out,
                    bool Positive) {
    Out.clear();
    size_t start = 0;
    while (true) {
        const size_t comma = Text.find(',', start);
        const std::string_view part = Text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        double v = 0;
        if (!Number(part, v) || !std::isfinite(v))
            return "--" + std::string(Name) + ": '" + std::string(Trim(part)) + "' is not a number";
        if (Positive && !(v > 0))
            return "--" + std::string(Name) + ": the spacing must be greater than 0, not '" +
                   std::string(Trim(part)) + "'";
        Out.push_back(v);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (Out.size() > 3)
        return "--" + std::string(Name) + " takes at most three numbers (X, Z and Y), not " +
               std::to_string(Out.size());
    return {};
}

} // namespace

bool TQorImportOptions::Known(std::string_view Name) {
    const std::string_view n = Bare(Name);
    return n == "spacing" || n == "origin" || n == "header" || n == "layout" || n == "transpose" ||
           n == "nodata" || n == "array" || n == "var" || n == "index";
}

bool TQorImportOptions::TakesValue(std::string_view Name) {
    return Known(Name) && Bare(Name) != "transpose";
}

std::string TQorImportOptions::Set(std::string_view Name, std::string_view Text) {
    const std::string_view n = Bare(Name);
    std::vector<double> v;
    if (n == "spacing" || n == "origin") {
        const bool spacing = n == "spacing";
        if (std::string e = Numbers(n, Text, v, spacing); !e.empty())
            return e;
        // One number serves every axis; a second is Z's, and a volume's Y follows Z unless given.
        auto& x = spacing ? DX : X0;
        auto& z = spacing ? DZ : Z0;
        auto& y = spacing ? DY : Y0;
        x = v[0];
        z = v.size() > 1 ? v[1] : v[0];
        y = v.size() > 2 ? v[2] : *z;
        return {};
    }
    if (n == "header") {
        const std::string_view t = Trim(Text);
        if (t == "auto")
            Header = TQorImportHeader::Auto;
        else if (t == "none")
            Header = TQorImportHeader::None;
        else if (t == "row")
            Header = TQorImportHeader::Row;
        else if (t == "row+column")
            Header = TQorImportHeader::RowColumn;
        else
            return "--header: '" + std::string(t) + "' is none of auto, none, row, row+column";
        return {};
    }
    if (n == "layout") {
        const std::string_view t = Trim(Text);
        if (t == "auto")
            Layout = TQorImportLayout::Auto;
        else if (t == "matrix")
            Layout = TQorImportLayout::Matrix;
        else if (t == "columns")
            Layout = TQorImportLayout::Columns;
        else
            return "--layout: '" + std::string(t) + "' is none of auto, matrix, columns";
        return {};
    }
    if (n == "transpose") {
        Transpose = true;
        return {};
    }
    if (n == "nodata") {
        double d = 0;
        if (!Number(Text, d) || std::isnan(d))
            return "--nodata: '" + std::string(Trim(Text)) + "' is not a number";
        NoData = d;
        return {};
    }
    if (n == "array" || n == "var") {
        if (Trim(Text).empty())
            return "--" + std::string(n) + ": the name of " +
                   (n == "var" ? "a variable" : "an array") + " is missing";
        ArrayName = std::string(Trim(Text));
        return {};
    }
    if (n == "index") {
        const std::string_view t = Trim(Text);
        const size_t eq = t.rfind('=');
        const std::string_view dim = eq == std::string_view::npos ? "" : Trim(t.substr(0, eq));
        const std::string_view k = eq == std::string_view::npos ? "" : Trim(t.substr(eq + 1));
        int64_t index = -1;
        const auto r = std::from_chars(k.data(), k.data() + k.size(), index);
        if (dim.empty() || k.empty() || r.ec != std::errc() || r.ptr != k.data() + k.size() ||
            index < 0)
            return "--index: '" + std::string(t) +
                   "' is no DIM=K (a dimension's name and an index from 0)";
        const auto same = std::find_if(Indices.begin(), Indices.end(),
                                       [&](const auto& i) { return i.first == dim; });
        if (same != Indices.end())
            same->second = index;
        else
            Indices.emplace_back(std::string(dim), index);
        return {};
    }
    return "unknown import option '--" + std::string(n) + "'";
}

int64_t TQorImportOptions::IndexOf(std::string_view Dimension) const {
    for (const auto& [dim, index] : Indices)
        if (dim == Dimension)
            return index;
    return -1;
}
