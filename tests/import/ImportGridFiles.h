// Self-describing grid files written through their own libraries, for the importers' tests and
// the viewer's: a netCDF-4 file of a temperature over time, latitude and longitude (packed,
// with a fill value and coordinates) and a pressure field, and an HDF5 file with dimension
// scales.
#pragma once

#include <hdf5.h>
#include <hdf5_hl.h>
#include <netcdf.h>
#include <string>
#include <vector>

namespace ImportGridFiles {

constexpr int NTime = 3, NLat = 4, NLon = 5;
constexpr short TempFill = -32767;
constexpr double TempScale = 0.01, TempOffset = 273.15;

inline double Lat(int k) {
    return -30.0 + 20.0 * k;
}
inline double Lon(int i) {
    return 10.0 + 2.5 * i;
}
// The stored (packed) temperature at time t, lat k, lon i; the fill value at (1, 2, 3).
inline short PackedTemp(int t, int k, int i) {
    return t == 1 && k == 2 && i == 3 ? TempFill : short(100 * t + 10 * k + i - 50);
}
inline float Pressure(int k, int i) {
    return float(1000 + 3 * k - i);
}

// Writes the netCDF-4 file; false on any library error.
inline bool WriteNetCdf(const std::string& Path) {
    int nc = -1, dTime = 0, dLat = 0, dLon = 0, vTime = 0, vLat = 0, vLon = 0, vTemp = 0, vPres = 0;
    bool ok = nc_create(Path.c_str(), NC_CLOBBER | NC_NETCDF4, &nc) == NC_NOERR;
    const auto put = [&](int Status) {
        ok = ok && Status == NC_NOERR;
    };
    const auto text = [&](int Var, const char* Name, const std::string& Value) {
        put(nc_put_att_text(nc, Var, Name, Value.size(), Value.c_str()));
    };
    put(nc_def_dim(nc, "time", NC_UNLIMITED, &dTime));
    put(nc_def_dim(nc, "lat", NLat, &dLat));
    put(nc_def_dim(nc, "lon", NLon, &dLon));
    put(nc_def_var(nc, "time", NC_DOUBLE, 1, &dTime, &vTime));
    text(vTime, "units", "hours since 2020-01-01");
    put(nc_def_var(nc, "lat", NC_FLOAT, 1, &dLat, &vLat));
    text(vLat, "units", "degrees_north");
    put(nc_def_var(nc, "lon", NC_FLOAT, 1, &dLon, &vLon));
    text(vLon, "units", "degrees_east");
    const int tempDims[] = {dTime, dLat, dLon};
    put(nc_def_var(nc, "temp", NC_SHORT, 3, tempDims, &vTemp));
    put(nc_def_var_fill(nc, vTemp, 0, &TempFill));
    put(nc_put_att_double(nc, vTemp, "scale_factor", NC_DOUBLE, 1, &TempScale));
    put(nc_put_att_double(nc, vTemp, "add_offset", NC_DOUBLE, 1, &TempOffset));
    text(vTemp, "units", "K");
    text(vTemp, "long_name", "Air temperature");
    const int presDims[] = {dLat, dLon};
    put(nc_def_var(nc, "pressure", NC_FLOAT, 2, presDims, &vPres));
    const float range[] = {990, 1005};
    put(nc_put_att_float(nc, vPres, "valid_range", NC_FLOAT, 2, range));
    text(vPres, "units", "hPa");
    put(nc_enddef(nc));
    std::vector<double> times, lats, lons;
    for (int t = 0; t < NTime; ++t)
        times.push_back(6.0 * t);
    for (int k = 0; k < NLat; ++k)
        lats.push_back(Lat(k));
    for (int i = 0; i < NLon; ++i)
        lons.push_back(Lon(i));
    const size_t start0 = 0, nTime = NTime;
    put(nc_put_vara_double(nc, vTime, &start0, &nTime, times.data()));
    put(nc_put_var_double(nc, vLat, lats.data()));
    put(nc_put_var_double(nc, vLon, lons.data()));
    std::vector<short> temp;
    for (int t = 0; t < NTime; ++t)
        for (int k = 0; k < NLat; ++k)
            for (int i = 0; i < NLon; ++i)
                temp.push_back(PackedTemp(t, k, i));
    const size_t start[] = {0, 0, 0}, count[] = {NTime, NLat, NLon};
    put(nc_put_vara_short(nc, vTemp, start, count, temp.data()));
    std::vector<float> pressure;
    for (int k = 0; k < NLat; ++k)
        for (int i = 0; i < NLon; ++i)
            pressure.push_back(Pressure(k, i));
    put(nc_put_var_float(nc, vPres, pressure.data()));
    return nc_close(nc) == NC_NOERR && ok;
}

constexpr int H5NY = 4, H5NX = 6;
inline double H5Height(int k, int i) {
    return 0.5 * k * k - 0.25 * i;
}

// Writes "terrain/height" (H5NY × H5NX float64, units "m") with the dimension scales
// "northing" and "easting" (units "m"); false on any library error.
inline bool WriteHdf5(const std::string& Path) {
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    const hid_t file = H5Fcreate(Path.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
    if (file < 0)
        return false;
    bool ok = true;
    const auto put = [&](herr_t Status) {
        ok = ok && Status >= 0;
    };
    const hid_t group = H5Gcreate2(file, "terrain", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    const hsize_t dims[] = {H5NY, H5NX};
    std::vector<double> heights, northing, easting;
    for (int k = 0; k < H5NY; ++k)
        for (int i = 0; i < H5NX; ++i)
            heights.push_back(H5Height(k, i));
    for (int k = 0; k < H5NY; ++k)
        northing.push_back(5000.0 + 100 * k);
    for (int i = 0; i < H5NX; ++i)
        easting.push_back(300.0 + 50 * i);
    put(H5LTmake_dataset_double(group, "height", 2, dims, heights.data()));
    put(H5LTmake_dataset_double(group, "northing", 1, &dims[0], northing.data()));
    put(H5LTmake_dataset_double(group, "easting", 1, &dims[1], easting.data()));
    put(H5LTset_attribute_string(group, "height", "units", "m"));
    put(H5LTset_attribute_string(group, "northing", "units", "m"));
    put(H5LTset_attribute_string(group, "easting", "units", "m"));
    const hid_t set = H5Dopen2(group, "height", H5P_DEFAULT);
    const hid_t north = H5Dopen2(group, "northing", H5P_DEFAULT);
    const hid_t east = H5Dopen2(group, "easting", H5P_DEFAULT);
    put(H5DSset_scale(north, "northing"));
    put(H5DSset_scale(east, "easting"));
    put(H5DSattach_scale(set, north, 0));
    put(H5DSattach_scale(set, east, 1));
    H5Dclose(east);
    H5Dclose(north);
    H5Dclose(set);
    H5Gclose(group);
    return H5Fclose(file) >= 0 && ok;
}

} // namespace ImportGridFiles
