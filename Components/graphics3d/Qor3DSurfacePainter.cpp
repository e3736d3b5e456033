#include "Qor3DChartPaint.h"

void SetupChartColorSource(TQor3DChart&, const TQorSceneFrame&) {}

void DrawChartSurface(TQor3DChart&, const TQorSceneFrame&) {}
