#include "VeltoDevice/Support/TemporaryFolderError.hpp"

namespace velto {

TemporaryFolderError::TemporaryFolderError(std::string detail)
    : Error("The system did not give Velto a private temporary folder: " + detail + "."),
      detail_(std::move(detail)) {}

} // namespace velto
