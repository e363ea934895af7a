// Any bytes read as a loan file are either refused, leaving the table as it was, or give a
// well-formed table that survives a save and a reopen.
#include "loan/LoanFileReader.h"
#include "loan/LoanFileWriter.h"
#include "loan/LoanRecord.h"
#include "loan/LoanTable.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool SameCells(const loan::LoanGrid& a, const loan::LoanGrid& b) {
    if (a.Rows() != b.Rows() || a.Cols() != b.Cols()) return false;
    for (int r = 0; r < a.Rows(); ++r)
        for (int c = 0; c < a.Cols(); ++c)
            if (a.TextAt(r, c) != b.TextAt(r, c)) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int records = static_cast<int>(size / loan::LoanRecord::kSize);

    loan::LoanTable table;
    const loan::ReadResult read = loan::LoanFileReader::ReadBytes(bytes, table.Grid);
    // Bytes whose records do not all end in a carriage return are refused, the table untouched,
    // and so are bytes that hold no whole record at all.
    bool wellFormed = size == 0 || records > 0;
    for (int r = 0; r < records; ++r)
        wellFormed = wellFormed && bytes[static_cast<std::size_t>(r) * loan::LoanRecord::kSize +
                                         loan::LoanRecord::kSize - 1] == '\r';
    Check(read.ok == wellFormed);
    if (!read.ok) {
        Check(!read.error.empty() && SameCells(table.Grid, loan::LoanTable().Grid));
        return 0;
    }
    Check(read.droppedTailBytes == size % loan::LoanRecord::kSize);
    const loan::LoanGrid& grid = table.Grid;
    Check(grid.Rows() == records + 1 || (grid.Rows() == records + 2 && records > 0) ||
          (records == 0 && grid.Rows() == 2));
    Check(grid.RowIsBlank(grid.Rows() - 1));
    for (int c = 0; c < loan::kLoanCols; ++c)
        Check(grid.TextAt(0, c) == loan::kHeadings[static_cast<std::size_t>(c)]);
    for (int r = 1; r < grid.Rows(); ++r)
        for (int c = 0; c < loan::kLoanCols; ++c) {
            const std::string_view text = grid.TextAt(r, c);
            Check(text.empty() || (text.front() != ' ' && text.back() != ' '));
        }

    // What was read is what a save keeps, so a save and a reopen change nothing.
    std::ostringstream out;
    Check(loan::LoanFileWriter::Write(out, table.Grid));
    const std::string written = out.str();
    Check(written.size() == static_cast<std::size_t>(grid.Rows() - 1) * loan::LoanRecord::kSize);
    loan::LoanTable again;
    Check(loan::LoanFileReader::ReadBytes(written, again.Grid).ok);
    Check(SameCells(again.Grid, table.Grid));

    // A second save of the reopened table writes the same bytes.
    std::ostringstream second;
    Check(loan::LoanFileWriter::Write(second, again.Grid));
    Check(second.str() == written);
    return 0;
}
