#ifndef VELKOR_PLATFORM_REPORT_CLASS_H_
#define VELKOR_PLATFORM_REPORT_CLASS_H_

namespace velkor {

// The class, and so the colour, of a reported message.
enum class ReportClass { Normal = 0, Header = 1, Error = 2, Warning = 3, Fatal = 4 };

}  // namespace velkor

#endif  // VELKOR_PLATFORM_REPORT_CLASS_H_
