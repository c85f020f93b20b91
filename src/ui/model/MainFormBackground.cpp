// "Generate negatives...": a learning negative sample made from the positives or a genome,
// written as an ordinary ".seq" sample and loaded from it.
#include <optional>

#include "evaluation/Background.h"
#include "genome/FastaReader.h"
#include "io/SafeFile.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

std::string seqText(const std::vector<Sequence>& records) {
    std::string text;
    for (const Sequence& r : records) text += ">" + r.name + ";" + r.text + "\n";
    return text;
}

}  // namespace

bool TMainForm::generateNegatives(const NegativesRequest& request) {
    if (!mainManager) return false;
    if (!mainManager->learnPositiveLoaded()) {
        message("First load postive sampling.", "Error", MessageIcon::Error);
        return false;
    }
    if (workerBusy()) {
        message("A process is running; generate the negatives when it has ended.", "Error",
                MessageIcon::Error);
        return false;
    }
    if (request.count < 1) {
        message("The number of negatives to generate must be at least 1.", "Error",
                MessageIcon::Error);
        return false;
    }
    std::vector<Sequence> made;
    if (request.source == NegativesRequest::Source::Shuffled) {
        if (request.k < 1) {
            message("The K-mer length of the shuffle must be at least 1.", "Error",
                    MessageIcon::Error);
            return false;
        }
        made =
            shuffledNegatives(mainManager->learnPositive(), request.count, request.k, request.seed);
    } else {
        std::vector<Sequence> records;
        const Status read = readFastaSample(request.genomePath, records);
        if (!read) {
            message("The genome cannot be read: " + read.message, "Error", MessageIcon::Error);
            return false;
        }
        std::vector<GenomeSequence> genome;
        genome.reserve(records.size());
        for (Sequence& r : records) genome.push_back({r.name, std::move(r.text)});
        records.clear();
        BackgroundWindows windows =
            gcMatchedWindows(genome, mainManager->learnPositive(), request.count, request.seed);
        if (static_cast<int32_t>(windows.records.size()) < request.count) {
            message("The genome " + request.genomePath + " gave " +
                        std::to_string(windows.records.size()) + " of the " +
                        std::to_string(request.count) +
                        " windows wanted: too few windows without N match the GC content of "
                        "the positives.",
                    "Error", MessageIcon::Error);
            return false;
        }
        made = std::move(windows.records);
    }
    if (made.empty()) {
        message("No negatives could be generated from the learning positives.", "Error",
                MessageIcon::Error);
        return false;
    }
    if (!mayReplaceLearnNegative()) return false;
    std::optional<std::string> path;
    if (!request.outputPath.empty()) {
        path = request.outputPath;
    } else {
        FileRequest save;
        save.dialog = "GenerateNegDlg";
        save.filter = "Sequences (*.seq)|*.seq";
        save.title = "Save the generated negatives";
        save.defaultName = "negatives.seq";
        path = dialogs_.saveFile(save);
    }
    if (!path) return false;
    const Status written = WriteFileAtomically(*path, seqText(made));
    if (!written) {
        message(written.message, "Error", MessageIcon::Error);
        return false;
    }
    loadLearnNegativeFrom(*path);
    if (!mainManager->learnNegativeLoaded() || samplePaths.learnNegative != *path) return false;
    message(std::to_string(made.size()) +
                (request.source == NegativesRequest::Source::Shuffled
                     ? " shuffles of the learning positives"
                     : " windows of the genome") +
                " were written to " + *path + " and loaded as the learning negative sample.",
            "Information", MessageIcon::Information);
    return true;
}

}  // namespace motifora
