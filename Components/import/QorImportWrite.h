// Writing a chart's grid for other programs: NumPy .npy (float32, a surface as a[k, i], a volume
// as a[k, j, i]) and .csv (a surface as a matrix with a header row of X and a first column of
// Z; a volume as the column list x,y,z,v). Both read back through the importers unchanged.
#pragma once

#include <string>

class TQor3DChart;

// A 3D grid or a 4D volume; other kinds and empty charts are refused. False with the reason.
bool WriteChartNpy(const TQor3DChart& Chart, const std::string& FileName, std::string& Error);
bool WriteChartCsv(const TQor3DChart& Chart, const std::string& FileName, std::string& Error);
