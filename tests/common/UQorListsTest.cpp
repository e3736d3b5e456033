#include "UQorLists.h"

#include "TestSupport.h"

#include <QLocale>
#include <QStringList>
#include <gtest/gtest.h>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

std::vector<TXYZDouble> Points(const TQorXYZDoubleList& l) {
    std::vector<TXYZDouble> v;
    for (int i = 0; i < l.Count(); ++i)
        v.push_back(l.Items(i));
    return v;
}

std::vector<std::string> Strings(const TQorStringList& l) {
    std::vector<std::string> v;
    for (int i = 0; i < l.Count(); ++i)
        v.push_back(l.Items(i));
    return v;
}

void Fill(TQorStringList& l, const std::vector<std::string>& items) {
    for (const auto& s : items)
        l.Add(s);
}

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b)
        s.push_back(char(c));
    return s;
}

// A read-only stream buffer that cannot seek, as a pipe or socket would be.
class PipeBuf : public std::streambuf {
public:
    explicit PipeBuf(std::string data) : data_(std::move(data)) {
        setg(data_.data(), data_.data(), data_.data() + data_.size());
    }

private:
    std::string data_;
};

// Counts the list's change reports in Changes, from 0.
void CountChanges(TQorBasicList& List, int& Changes) {
    Changes = 0;
    List.OnChange = [&Changes](TObject*) {
        ++Changes;
    };
}

template <typename F> void ExpectRangeError(F f, const std::string& message) {
    try {
        f();
        ADD_FAILURE() << "no EQorArrayRange";
    } catch (const EQorArrayRange& e) {
        EXPECT_EQ(e.what(), message);
    }
}

} // namespace

TEST(QorLists, CapacityGrowsAndShrinksInBlocks) {
    TQorXYZDoubleList l;
    EXPECT_EQ(l.BlockSize(), 256);
    l.SetCount(1);
    EXPECT_EQ(l.Capacity(), 256);
    l.SetCount(257);
    EXPECT_EQ(l.Capacity(), 512);
    l.Delete(0, 10);
    EXPECT_EQ(l.Capacity(), 256);
    l.SetCount(0);
    EXPECT_EQ(l.Capacity(), 0);

    l.SetCount(5);
    l.SetBlockSize(4);
    EXPECT_EQ(l.Capacity(), 256) << "a new block size waits for the next count change";
    l.Add({});
    EXPECT_EQ(l.Capacity(), 8);
    l.SetBlockSize(0);
    EXPECT_EQ(l.BlockSize(), 1);
    l.SetBlockSize(-7);
    EXPECT_EQ(l.BlockSize(), 1);
    l.SetCount(-3);
    EXPECT_EQ(l.Count(), 0);
}

TEST(QorLists, GrownItemsAreEmptyAfterShrinking) {
    TQorStringList l;
    Fill(l, {"a", "b", "c"});
    l.SetCount(1);
    l.SetCount(3);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"a", "", ""}));
}

TEST(QorLists, WritingAnEqualValueDoesNotNotify) {
    TQorXYZDoubleList l;
    l.Add({1, 2, 3});
    int changes = 0;
    CountChanges(l, changes);
    l.SetX(0, 1.00000000000001);
    l.SetItems(0, {1.00000000000001, 2, 3});
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(l.X(0), 1.0);
    l.SetX(0, 1.001);
    EXPECT_EQ(changes, 1);
    EXPECT_DOUBLE_EQ(l.X(0), 1.001);
    l.SetZ(0, 7);
    EXPECT_EQ(l.Z(0), 7);
    EXPECT_EQ(changes, 2);

    TQorStringList s;
    Fill(s, {"x"});
    CountChanges(s, changes);
    s.SetItems(0, "x");
    EXPECT_EQ(changes, 0);
    s.SetItemsUnchecked(0, "X");
    EXPECT_EQ(changes, 1);
}

TEST(QorLists, IndexErrorsAndClampedReads) {
    TQorXYZDoubleList l;
    EXPECT_EQ(l.ItemClamped(3), TXYZDouble{});
    l.Add({1, 0, 0});
    l.Add({2, 0, 0});
    ExpectRangeError([&] { (void)l.Items(-1); }, "Array index is bellow 0!");
    ExpectRangeError([&] { (void)l.Items(2); }, "Array index is over the array range!");
    ExpectRangeError([&] { (void)l.Y(2); }, "Array index is over the array range!");
    ExpectRangeError([&] { l.SetZ(-1, 0); }, "Array index is bellow 0!");
    EXPECT_EQ(l.ItemClamped(-5).x, 1);
    EXPECT_EQ(l.ItemClamped(9).x, 2);

    TQorStringList s;
    EXPECT_EQ(s.ItemClamped(0), "");
    ExpectRangeError([&] { s.SetItems(0, "a"); }, "Array index is over the array range!");
}

TEST(QorLists, InsertAndDeleteClampAndNotifyOnce) {
    TQorStringList l;
    Fill(l, {"a", "b"});
    int changes = 0;
    CountChanges(l, changes);
    l.Insert("x", -4, 3);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"x", "x", "x", "a", "b"}));
    EXPECT_EQ(changes, 1);
    l.Insert("z", 99);
    EXPECT_EQ(l.Items(5), "z");
    l.Insert("n", 1, 0);
    l.Delete(0, 0);
    EXPECT_EQ(changes, 2);
    l.Delete(-2, 2);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"x", "a", "b", "z"}));
    l.Delete(2, 100);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"x", "a"}));
    l.Delete(5, 1);
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(changes, 4);
    // An item taken from the list itself survives the reallocation it causes.
    l.SetBlockSize(1);
    l.Insert(l.Items(0), 0, 50);
    EXPECT_EQ(l.Items(49), "x");
    EXPECT_EQ(l.Items(51), "a");
}

TEST(QorLists, UpdateBracketBatchesChanges) {
    TQorXYZDoubleList l;
    int changes = 0;
    CountChanges(l, changes);
    l.BeginUpdate();
    l.BeginUpdate();
    l.Add({1, 1, 1});
    l.Add({2, 2, 2});
    l.EndUpdate();
    EXPECT_EQ(changes, 0);
    l.EndUpdate();
    EXPECT_EQ(changes, 1);
    l.EndUpdate(); // never below zero
    l.BeginUpdate();
    l.EndUpdate();
    EXPECT_EQ(changes, 1) << "nothing changed inside the bracket";
    l.Changed();
    EXPECT_EQ(changes, 2);
}

TEST(QorLists, PointSortOrders) {
    TQorXYZDoubleList l;
    l.Add({1, 2, 9});
    l.Add({1, 1, 5});
    l.Add({0, 7, 0});
    l.SetSortOrder(psoXY);
    l.SetSorted(psoAscending);
    EXPECT_EQ(Points(l), (std::vector<TXYZDouble>{{0, 7, 0}, {1, 1, 5}, {1, 2, 9}}));
    l.SetSortOrder(psoZ);
    EXPECT_EQ(Points(l), (std::vector<TXYZDouble>{{0, 7, 0}, {1, 1, 5}, {1, 2, 9}}));
    l.SetSortOrder(psoYX);
    EXPECT_EQ(Points(l), (std::vector<TXYZDouble>{{1, 1, 5}, {1, 2, 9}, {0, 7, 0}}));
    l.SetSorted(psoDescending);
    EXPECT_EQ(Points(l), (std::vector<TXYZDouble>{{0, 7, 0}, {1, 2, 9}, {1, 1, 5}}));
    // Coordinates within Precision count as equal, so the next one decides.
    TQorXYZDoubleList m;
    m.SetSorted(psoAscending);
    m.Add({1.000000000001, 5, 0});
    m.Add({1, 3, 0});
    EXPECT_EQ(m.Items(0).y, 3);
}

TEST(QorLists, AddKeepsALargeListOrdered) {
    TQorXYZDoubleList l;
    l.SetSortOrder(psoX);
    l.SetSorted(psoAscending);
    unsigned seed = 12345;
    for (int i = 0; i < 1000; ++i) {
        seed = seed * 1103515245u + 12345u;
        l.Add({double((seed >> 16) % 300), double(i), 0});
    }
    for (int i = 1; i < l.Count(); ++i)
        ASSERT_LE(l.X(i - 1), l.X(i)) << i;

    TQorXYZDoubleList u;
    for (int i = 0; i < 500; ++i)
        u.Add({double((i * 7919) % 500), 0, 0});
    u.SetSortOrder(psoX);
    u.SetSorted(psoDescending);
    for (int i = 0; i < u.Count(); ++i)
        ASSERT_EQ(u.X(i), 499 - i);
}

TEST(QorLists, BisectionFindsFirstOfEqualItems) {
    TQorXYZDoubleList l;
    l.SetSortOrder(psoX);
    l.SetSorted(psoAscending);
    for (double x : {1, 2, 2, 2, 3, 5, 5})
        l.Add({x, 0, 0});
    EXPECT_EQ(l.FindPosition({0, 0, 0}), 0);
    EXPECT_EQ(l.FindPosition({1, 0, 0}), 0);
    EXPECT_EQ(l.FindPosition({2, 0, 0}), 1);
    EXPECT_EQ(l.FindPosition({4, 0, 0}), 5);
    EXPECT_EQ(l.FindPosition({5, 0, 0}), 6) << "equal to the last: before the last";
    EXPECT_EQ(l.FindPosition({6, 0, 0}), 7);
    EXPECT_EQ(l.IndexOf({2, 9, 9}), 1) << "only the sort coordinates count";
    EXPECT_EQ(l.IndexOf({4, 0, 0}), -1);
    EXPECT_EQ(l.IndexOf({3, 0, 0}, 2), 4);
    EXPECT_EQ(l.IndexOf({2, 0, 0}, 5), -1);
    EXPECT_EQ(l.IndexOf({6, 0, 0}), -1);

    TQorXYZDoubleList u;
    for (double x : {3, 1, 3})
        u.Add({x, 0, 0});
    EXPECT_EQ(u.IndexOf({3, 0, 0}), 0);
    EXPECT_EQ(u.IndexOf({3, 0, 0}, 1), 2);
    EXPECT_EQ(u.IndexOf({7, 0, 0}), -1);
    EXPECT_EQ(u.FindPosition({1, 0, 0}), 1);
    EXPECT_EQ(u.FindPosition({7, 0, 0}), 3);
    EXPECT_EQ(u.Add({0, 0, 0}), 3) << "an unsorted list appends";
}

TEST(QorLists, StringSortOrders) {
    TQorStringList l;
    Fill(l, {"beta", "Alpha", "gamma", "Delta"});
    l.SetSorted(psoAscending);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"Alpha", "Delta", "beta", "gamma"}));
    l.SetStringSort(pssOrdNoCase);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"Alpha", "beta", "Delta", "gamma"}));
    l.SetStringSort(pssAnsiNoCase);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"Alpha", "beta", "Delta", "gamma"}));
    l.SetSorted(psoDescending);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"gamma", "Delta", "beta", "Alpha"}));
    l.SetStringSort(pssOrd);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"gamma", "beta", "Delta", "Alpha"}));
}

TEST(QorLists, LocaleAwareOrderIgnoresCaseFirst) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TQorStringList l;
    Fill(l, {"cherry", "Banana", "apple"});
    l.SetStringSort(pssAnsi);
    l.SetSorted(psoAscending);
    EXPECT_EQ(Strings(l), (std::vector<std::string>{"apple", "Banana", "cherry"}));
    QLocale::setDefault(saved);
}

TEST(QorLists, LocaleAwareNoCaseFindsOtherCase) {
    TQorStringList l;
    l.SetSorted(psoAscending);
    l.SetStringSort(pssAnsiNoCase);
    for (const char* s : {"Gamma", "alpha", "Beta", "delta"})
        l.Add(s);
    EXPECT_EQ(l.IndexOf("beta"), 1);
    EXPECT_EQ(l.Items(l.IndexOf("beta")), "Beta");
    EXPECT_EQ(l.IndexOf("BETA", 1), 1);
    EXPECT_EQ(l.IndexOf("epsilon"), -1);

    TQorStringList ord;
    ord.Add("Beta");
    EXPECT_EQ(ord.IndexOf("beta"), -1);
    ord.SetStringSort(pssOrdNoCase);
    EXPECT_EQ(ord.IndexOf("beta"), 0);
}

TEST(QorLists, SortReportsProgressPerGapPass) {
    TQorXYZDoubleList l;
    for (int i = 0; i < 41; ++i)
        l.Add({double(41 - i), 0, 0});
    std::vector<double> progress;
    l.OnProgressChange = [&](TObject*, double p) {
        progress.push_back(p);
    };
    int changes = 0;
    CountChanges(l, changes);
    l.SetSorted(psoAscending); // gaps 40, 13, 4, 1; the first report 0 equals the initial value
    EXPECT_TRUE(NearVector(progress, {30.468, 62.419, 100.0}, 1e-3));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(l.X(0), 1);
    EXPECT_EQ(l.X(40), 41);

    progress.clear();
    l.Sort();
    EXPECT_TRUE(NearVector(progress, {0.0, 30.468, 62.419, 100.0}, 1e-3));
    EXPECT_EQ(changes, 1) << "an ordered list does not change";

    TQorXYZDoubleList two;
    two.Add({2, 0, 0});
    two.Add({1, 0, 0});
    progress.clear();
    two.OnProgressChange = l.OnProgressChange;
    two.SetSorted(psoAscending);
    EXPECT_EQ(progress, std::vector<double>{100.0}) << "a single gap-1 pass";
    EXPECT_EQ(two.X(0), 1);
}

TEST(QorLists, PointStreamLayoutAndRoundTrip) {
    TQorXYZDoubleList l;
    l.Add({1, -2.5, 1e300});
    l.Add({0, 0, 0.1});
    std::ostringstream out;
    l.SaveToStream(out);
    const std::string data = out.str();
    ASSERT_EQ(data.size(), 4u + 2 * 24);
    EXPECT_EQ(data.substr(0, 4), Bytes({2, 0, 0, 0}));
    EXPECT_EQ(data.substr(4, 8), Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F})) << "1.0 little-endian";

    TQorXYZDoubleList back;
    std::istringstream in(data);
    back.LoadFromStream(in);
    EXPECT_EQ(Points(back), Points(l));

    int changes = 0;

    CountChanges(back, changes);
    std::istringstream again(data);
    back.LoadFromStream(again);
    EXPECT_EQ(changes, 0) << "the same items notify nothing";
}

TEST(QorLists, StringStreamRoundTripKeepsEmptyStrings) {
    TQorStringList l;
    Fill(l, {"", "one", "", "zwei \xC3\xBC", std::string(70000, 'q')});
    std::ostringstream out;
    l.SaveToStream(out);
    const std::string data = out.str();
    EXPECT_EQ(data.substr(0, 8), Bytes({5, 0, 0, 0, 0, 0, 0, 0}));

    TQorStringList back;
    Fill(back, {"old"});
    std::istringstream in(data);
    back.LoadFromStream(in);
    EXPECT_EQ(Strings(back), Strings(l));

    PipeBuf pipe(data);
    std::istream piped(&pipe);
    TQorStringList fromPipe;
    fromPipe.LoadFromStream(piped);
    EXPECT_EQ(Strings(fromPipe), Strings(l));

    TQorStringList empty;
    std::ostringstream none;
    empty.SaveToStream(none);
    EXPECT_EQ(none.str(), Bytes({0, 0, 0, 0}));
}

TEST(QorLists, CorruptStreamsFailAndKeepTheList) {
    const std::vector<std::string> damaged = {
        Bytes({1, 0}),                               // count cut short
        Bytes({0xFF, 0xFF, 0xFF, 0xFF}),             // negative count
        Bytes({2, 0, 0, 0, 1, 0, 0, 0, 'a'}),        // second string missing
        Bytes({1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}), // negative length
        Bytes({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}), // length beyond the end
        Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}), // count beyond the end
    };
    for (const auto& d : damaged) {
        TQorStringList l;
        Fill(l, {"keep"});
        std::istringstream in(d);
        EXPECT_THROW(l.LoadFromStream(in), EReadError);
        EXPECT_EQ(Strings(l), std::vector<std::string>{"keep"});
        PipeBuf pipe(d);
        std::istream piped(&pipe);
        EXPECT_THROW(l.LoadFromStream(piped), EReadError) << "unseekable";
        EXPECT_EQ(l.Count(), 1);
    }
    TQorXYZDoubleList p;
    PipeBuf pipe(Bytes({0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3}));
    std::istream piped(&pipe);
    EXPECT_THROW(p.LoadFromStream(piped), EReadError);
    EXPECT_EQ(p.Count(), 0);
}

TEST(QorLists, AssignCopiesSettingsAndItems) {
    TQorXYZDoubleList a;
    a.SetBlockSize(16);
    a.SetSortOrder(psoZ);
    a.SetSorted(psoDescending);
    a.Add({1, 1, 1});
    a.Add({2, 2, 5});
    TQorXYZDoubleList b;
    b.Assign(a);
    EXPECT_EQ(b.BlockSize(), 16);
    EXPECT_EQ(b.Sorted(), psoDescending);
    EXPECT_EQ(b.SortOrder(), psoZ);
    EXPECT_EQ(b.Progress(), a.Progress());
    EXPECT_EQ(Points(b), Points(a));

    TQorStringList s;
    Fill(s, {"b", "C", "a"});
    s.SetSorted(psoAscending);
    TQorStringList t;
    t.SetStringSort(pssOrdNoCase);
    t.Assign(s);
    EXPECT_EQ(t.StringSort(), pssOrdNoCase);
    EXPECT_EQ(Strings(t), (std::vector<std::string>{"a", "b", "C"}))
        << "re-sorted by its own order";

    QStringList q;
    EXPECT_TRUE(t.AssignTo(q));
    EXPECT_EQ(q, (QStringList{"a", "b", "C"}));
    t.SetSorted(psoNone);
    EXPECT_FALSE(t.AssignTo(q));

    TQorStringList fromQt;
    fromQt.SetSorted(psoAscending);
    fromQt.Assign(QStringList{"z", "\xC3\xA4", "m"});
    EXPECT_EQ(Strings(fromQt), (std::vector<std::string>{"m", "z", "\xC3\xA4"}));
}
