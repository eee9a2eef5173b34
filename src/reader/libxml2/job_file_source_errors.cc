// A job file that cannot be read fails with libxml2's I/O code for the system's error.
#include <libxml/xmlerror.h>

#include <cerrno>

#include "reader/job_file_source.h"

namespace velkor {

std::uint32_t SourceErrorCode(SystemError error) {
  switch (error) {
    case EACCES: return XML_IO_EACCES;
    case EISDIR: return XML_IO_EISDIR;
    case ENOENT: return XML_IO_ENOENT;
    case ENOTDIR: return XML_IO_ENOTDIR;
    case ENAMETOOLONG: return XML_IO_ENAMETOOLONG;
    case EMFILE: return XML_IO_EMFILE;
    case ENFILE: return XML_IO_ENFILE;
    case ENOMEM: return XML_IO_ENOMEM;
    case EIO: return XML_IO_EIO;
    default: return XML_IO_UNKNOWN;
  }
}

// The platform's read sets errno; a failure that left none is an I/O error.
SystemError LastReadError() { return errno != 0 ? errno : EIO; }

}  // namespace velkor
