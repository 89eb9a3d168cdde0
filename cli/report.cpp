#include "report.h"

#include "output_formats.h"

namespace {

// text, gnu and json: each file's lines as they come, nothing around them.
class PlainReport : public Report {
public:
    explicit PlainReport(LineOutput& out) : Report(out) {}
};

// One SARIF log: its start with the rules before the first file, the results of the files
// separated, and its end with every failure as a notification, whether or not a file
// could be read.
class SarifReport : public Report {
public:
    SarifReport(LineOutput& out, const std::vector<SarifRule>& rules) : Report(out), rules_(rules) {}
    void start() override { out_.add(sarifLogStart(rules_)); }
    void fileResults(const std::string& text) override {
        if (text.empty()) return;
        if (resultWritten_) out_.add(SarifResultSeparator);
        resultWritten_ = true;
        out_.add(text);
    }
    void end(const RunSummary& summary) override {
        out_.add(sarifLogEnd(summary.errors));
        out_.flush();
    }

private:
    const std::vector<SarifRule>& rules_;
    bool resultWritten_ = false;
};

}  // namespace

std::unique_ptr<Report> makeReport(OutputFormat format, LineOutput& out, const std::vector<SarifRule>& rules) {
    if (format == OutputFormat::Sarif) return std::unique_ptr<Report>(new SarifReport(out, rules));
    return std::unique_ptr<Report>(new PlainReport(out));
}
