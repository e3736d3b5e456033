#include "io/Qor3DChartFileLegend.h"

#include "QorColSc.h"
#include "QorPropText.h"

void TQorColorScaleFileLegend::BeginUpdate() {
    FLegend.BeginUpdate();
}

void TQorColorScaleFileLegend::EndUpdate() {
    FLegend.EndUpdate();
}

void TQorColorScaleFileLegend::ReadFromFileText(std::string_view FileText) {
    // Only the property lines are split up: the data before them may be very large.
    const size_t start = FindPropertyBlock(FileText);
    if (start == std::string_view::npos)
        return;
    TQorPropTextReader reader = TQorPropTextReader::Borrowing(FileText.substr(start));
    FLegend.ReadFromText(reader, "", csmFontOnly);
}

void TQorColorScaleFileLegend::AppendText(std::string& Text) {
    TQorPropTextWriter writer;
    FLegend.WriteToText(writer, "", csmFontOnly);
    Text += writer.Text();
}
