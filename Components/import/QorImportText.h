// Text tables: a matrix of heights (comma, semicolon, TAB or blank separated, with an optional
// header row of X and first column of Z), or a list of points in columns (x z height, or
// x y z v for a volume) on a regular grid. docs/ImportFormats.md gives the rules.
#pragma once

#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <string>
#include <string_view>

// Reads a text table from a file; Name in messages is the file's name.
TQorImportResult ReadTextTable(const std::string& FileName, const TQorImportOptions& Options);
// The same over text in memory; Name stands for the file in messages.
TQorImportResult ReadTextTableText(std::string_view Text, const TQorImportOptions& Options,
                                   const std::string& Name = {});
// Whether the first bytes of a file look like a text table: printable text whose first data
// line holds numbers (or names) separated as a table is.
bool LooksLikeTextTable(std::string_view Head);
