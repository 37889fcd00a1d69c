// The two process-wide row stores behind the file list: the rows in directory order, and in the
// order of the last sort. Created empty at start and kept until the end.
#pragma once

#include "image/row_store.h"

extern kestrune::RowStore DirectoryRows;
extern kestrune::RowStore SortRows;
