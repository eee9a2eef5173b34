// Job-file records spelled as their XML attributes, for readable test tables.
#ifndef VELKOR_TESTS_ID3_JOB_FIELDS_H_
#define VELKOR_TESTS_ID3_JOB_FIELDS_H_

#include <initializer_list>
#include <string>
#include <utility>

#include "driver/job_records.h"

namespace velkor::testing {

using Attributes = std::initializer_list<std::pair<std::string, std::u16string>>;

// Entry({{"title", u"Intro"}, {"track", u"5"}}): a file element's attributes.
TrackEntry Entry(Attributes attributes);
// Album({{"title", u"Live"}, {"genre", u"17"}}): the root element's attributes.
AlbumDefaults Album(Attributes attributes);

}  // namespace velkor::testing

#endif  // VELKOR_TESTS_ID3_JOB_FIELDS_H_
