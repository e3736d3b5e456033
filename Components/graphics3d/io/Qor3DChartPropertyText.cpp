#include "io/Qor3DChartPropertyText.h"

#include "QorPropText.h"
#include "QorUpdateBracket.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"

void ApplyChartPropertyText(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                            const std::string& Text) {
    if (Legend != nullptr) {
        const TQorUpdateScope legendScope(*Legend);
        Legend->ReadFromFileText(Text);
    }
    TQorPropTextReader reader = TQorPropTextReader::Borrowing(Text);
    const TQorUpdateScope scope(Chart);
    Chart.ReadFromText(reader, "");
    Chart.UpdateRanges();
}
