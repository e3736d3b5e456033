// The import choices remembered per format (a reader's name, "NumPy arrays"): what the Import
// dialog was last accepted with, the default options for later files of that format. They
// live in the window's registry key, subkey "Import\<format>", as the options' own texts.
#pragma once

#include "QorImportOptions.h"

#include <string>

class TQorStorage;

// The remembered choices of Format into Options (other options left as they are); false when
// none are remembered. Spacing 1 and origin 0 are the importers' own defaults and stay unset,
// so a file that gives its coordinates reads without a word about options it does not use.
bool ReadImportChoices(const TQorStorage& Window, const std::string& Format,
                       TQorImportOptions& Options);
void WriteImportChoices(const TQorStorage& Window, const std::string& Format,
                        const TQorImportOptions& Options);

// The variable and indices last chosen for one file (a NetCDF or HDF5 file's), under
// "ImportFiles", keyed by a digest of its path: ReadFileChoice puts them into Options (false when
// none are remembered), WriteFileChoice keeps Options' own.
bool ReadFileChoice(const TQorStorage& Window, const std::string& Path, TQorImportOptions& Options);
void WriteFileChoice(const TQorStorage& Window, const std::string& Path,
                     const TQorImportOptions& Options);
