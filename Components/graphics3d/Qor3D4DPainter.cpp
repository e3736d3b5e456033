#include "Qor3DChartPaint.h"

void Draw4DLayers(TQor3DChart&, const TQorSceneFrame&) {}

void DrawLayerList(TQor3DChart&, const TQorSceneFrame&) {}

void SetCrossSectionPlane(TQor3DChart&, const TQorSceneFrame&) {}
