#include "VeltoDesktop/Model/OrganizationNames.hpp"

#include <unicode/listformatter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

namespace velto {

std::string OrganizationNames::list(const std::vector<Enrollment>& enrollments) {
    if (enrollments.empty())
        return {};
    std::vector<icu::UnicodeString> names;
    names.reserve(enrollments.size());
    for (const auto& enrollment : enrollments)
        names.push_back(icu::UnicodeString::fromUTF8(enrollment.organization.name));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::ListFormatter> formatter(
        icu::ListFormatter::createInstance(icu::Locale::getDefault(), status));
    icu::UnicodeString joined;
    if (U_SUCCESS(status) && formatter)
        formatter->format(names.data(), static_cast<int32_t>(names.size()), joined, status);
    if (U_FAILURE(status) || !formatter) {
        // No formatter for the locale: commas, as a plain fallback.
        joined.remove();
        for (std::size_t index = 0; index < names.size(); ++index) {
            if (index > 0)
                joined.append(icu::UnicodeString::fromUTF8(", "));
            joined.append(names[index]);
        }
    }
    std::string text;
    joined.toUTF8String(text);
    return text;
}

} // namespace velto
