// The chart-file document against the program: every form has an example, and every example
// reads as the kind its section names and, for the forms the program writes, is exactly what
// the program writes for the same data.
#include "TestSupport.h"
#include "chart/Qor3DChart.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace {

// The fenced blocks of the document that are file examples (not grammars, not excerpts).
std::vector<std::string> Examples(const std::string& Markdown) {
    std::vector<std::string> blocks;
    std::istringstream in(Markdown);
    std::string line, block;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.rfind("```", 0) == 0) {
            if (inside && block.rfind("file", 0) != 0 && block.find("...") == std::string::npos &&
                block.rfind("[Key]", 0) != 0)
                blocks.push_back(block);
            inside = !inside;
            block.clear();
        } else if (inside) {
            block += line + "\r\n";
        }
    }
    return blocks;
}

std::string Tag(const std::string& Example) {
    return Example[0] == '<' ? Example.substr(0, Example.find('\r')) : "headerless";
}

TEST(ChartFileStructures, EveryFormHasAnExampleThatTheProgramReadsAndWritesAsShown) {
    const std::map<std::string, TQorDataKind> kinds = {{"headerless", dk3D},
                                                       {"<3D>", dk3D},
                                                       {"<3D Hi>", dk3D},
                                                       {"<3D COLOR>", dkNx4D},
                                                       {"<3D COLOR SWAPPED>", dkNx4D},
                                                       {"<Nx4D>", dkNx4D},
                                                       {"<4D>", dk4D},
                                                       {"<4D Hi>", dk4D},
                                                       {"<4D surface>", dk4DSurface},
                                                       {"<4D surface Hi>", dk4DSurface}};
    const std::string markdown = ReadFileText(PLOTYRA_DOCS "/ChartFileStructures.md");
    TempDir dir;
    std::map<std::string, int> seen;
    for (const std::string& example : Examples(markdown)) {
        const std::string tag = Tag(example);
        SCOPED_TRACE(tag);
        ASSERT_EQ(kinds.count(tag), 1u) << example;
        ++seen[tag];
        TQor3DChart chart;
        // Grid forms are written from the low-memory layout, Hi forms from the full one.
        chart.SetUseLowMemory(tag.find("Hi") == std::string::npos);
        ASSERT_EQ(chart.LoadFromText(example, false), 0);
        EXPECT_EQ(chart.DataKind(), kinds.at(tag));
        EXPECT_FALSE(chart.Data().empty());
        if (tag == "headerless" || tag.find("COLOR") != std::string::npos)
            continue; // read, never written
        ASSERT_EQ(chart.SaveToFile(dir.File("out.txt"), false, false), 0);
        EXPECT_EQ(ReadFileText(dir.File("out.txt")), example);
    }
    for (const auto& [tag, kind] : kinds)
        EXPECT_EQ(seen.count(tag), 1u) << tag << " has no example";
}

} // namespace
