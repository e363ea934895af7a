#include "BenchLoanFile.h"

#include <cstddef>
#include <fstream>

namespace {

std::string Field(const std::string& text, int width) {
    std::string field = text.substr(0, static_cast<std::size_t>(width));
    field.resize(static_cast<std::size_t>(width), ' ');
    return field;
}

} // namespace

std::array<std::string, loan::kLoanCols> BenchLoanFile::Cells(int i) {
    return {"LOAN" + std::to_string(i),
            std::to_string(100000 + i % 900000),
            std::to_string(5 + i % 26),
            "60",
            "7.5",
            "150000",
            "40",
            "6.9",
            "100000",
            std::string(loan::kRepaymentTimeNames[static_cast<std::size_t>(1 + i % 5)]),
            "$1,500.00",
            "$18,000.00",
            i % 3 ? "Yes" : "No"};
}

bool BenchLoanFile::Write(const std::string& path, int loans) {
    std::ofstream out(path, std::ios::binary);
    std::string chunk;
    for (int i = 0; i < loans; ++i) {
        const std::array<std::string, loan::kLoanCols> texts = Cells(i);
        for (int c = 0; c < loan::kLoanCols; ++c)
            chunk += Field(texts[c], loan::kRecordWidths[static_cast<std::size_t>(c)]);
        chunk += '\r';
        // Written a megabyte at a time: a million records held whole would double the peak.
        if (chunk.size() > (1 << 20)) {
            out << chunk;
            chunk.clear();
        }
    }
    out << chunk << std::string(113, ' ') << '\r';
    out.close();
    return static_cast<bool>(out);
}
