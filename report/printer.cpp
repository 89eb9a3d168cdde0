#include "printer.h"

std::unique_ptr<Printer> makePrinter(OutputFormat format, std::vector<SarifRule> rules) {
    switch (format) {
        case OutputFormat::Gnu:
            return makeGnuPrinter();
        case OutputFormat::Json:
            return makeJsonPrinter();
        case OutputFormat::Sarif:
            return makeSarifPrinter(std::move(rules));
        case OutputFormat::Text:
            break;
    }
    return makeTextPrinter();
}
