// Helpers the importers share: a file's bytes, its name for messages, number cells with the
// missing-value words, and the transposition of a surface.
#pragma once

#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace QorImport {

// The file's name without its folder, as messages show it.
std::string BaseName(const std::string& FileName);

// A whole regular file read into memory: a large file by all cores at once, into memory that
// may use huge pages (fewer page faults than the copy itself costs otherwise). The file is never
// mapped, so a file cut short meanwhile reads short instead of faulting the process.
class TFileBytes {
public:
    TFileBytes() = default;
    ~TFileBytes();
    TFileBytes(const TFileBytes&) = delete;
    TFileBytes& operator=(const TFileBytes&) = delete;
    // False with the reason.
    bool Read(const std::string& FileName, std::string& Error);
    std::string_view Text() const { return {FData, FSize}; }

private:
    char* FData = nullptr;
    size_t FSize = 0;
    size_t FMapped = 0;
};

// Opens a regular file for reading (never waiting, as a FIFO would make it), with its status
// in St: the descriptor, or -1 with the reason in Error (the system's, "is a folder", "is not a
// regular file").
int OpenRegularFile(const std::string& FileName, struct stat& St, std::string& Error);

// Up to Count bytes of the file from Offset into Buffer; fewer only where the file ends or cannot
// be read.
size_t ReadAt(int Fd, void* Buffer, size_t Count, uint64_t Offset);

// A library reader's start: a result named after the file, failed unless FileName is a regular
// file (the libraries would open a FIFO and wait on it), with its size in Size when asked for.
// The library opens the file itself.
bool StartLibraryRead(const std::string& FileName, TQorImportResult& R, int64_t* Size = nullptr);

// The first bytes of a file (for the content sniff); empty when it cannot be read.
std::string FileHead(const std::string& FileName, size_t Count);

// A number cell of a text file: Number, Missing (an empty cell, NA, NaN, inf, -inf in any letter
// case, which give NaN) or Bad (anything else). With DecimalComma a ',' stands for the point.
enum class TCell { Number, Missing, Bad, Range };
TCell ParseCell(std::string_view Cell, bool DecimalComma, float& Value);
// The same, as a double (coordinates of a column list and header cells).
TCell ParseCellDouble(std::string_view Cell, bool DecimalComma, double& Value);

// Blanks, TABs, CR and surrounding double quotes removed.
std::string_view TrimCell(std::string_view Cell);

// The coordinate vector Origin + i * Spacing for i = 0 .. Count - 1.
std::vector<float> Spaced(int64_t Count, double Origin, double Spacing);

// Swaps X and Z of a surface (its heights transposed).
void TransposeSurface(TQorImportResult& Result);

// NoData values become NaN.
void ApplyNoData(TQorImportResult& Result, const TQorImportOptions& Options);

// "1 × 2 × 3"
std::string ShapeText(const std::vector<int64_t>& Shape);

} // namespace QorImport
