// The bundled promoter samples and the status texts of the processes' ends, as the window-model
// tests load and expect them.
#pragma once

#include <string>

namespace motifora::testing {

inline const std::string kExamples = MOTIFORA_EXAMPLES_DIR;
inline const std::string kPositive = kExamples + "/promoters_pos.seq";
inline const std::string kNegative = kExamples + "/promoters_neg.seq";

inline const char* const kSearchEnded = "Процесс поиска закономерностей успешно завершен.";
inline const char* const kIdealizationEnded = "Процесс идеализации успешно завершен.";
inline const char* const kClassificationEnded =
    "Процесс классификации контрольной выборки успешно завершен.";

}  // namespace motifora::testing
