#include "VeltoDevice/Enrollment/ApprovedEnrollment.hpp"

#include "VeltoDevice/Support/Error.hpp"

#include <boost/asio/cancellation_state.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/system/system_error.hpp>

#include <exception>
#include <optional>
#include <string>

namespace velto {

namespace {

bool isCancellation(const boost::system::system_error& error) {
    return error.code() == boost::asio::error::operation_aborted;
}

/// The user-facing reason of a failed code; nothing when the failure is a cancellation.
std::optional<std::string> refusalReason(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const Error& error) {
        return error.description();
    } catch (const boost::system::system_error& error) {
        if (isCancellation(error))
            return std::nullopt;
        return std::string(error.what());
    } catch (const std::exception& error) {
        return std::string(error.what());
    } catch (...) {
        return std::string("Velto could not enroll this computer with that code.");
    }
}

bool isCancelled(const boost::asio::cancellation_state& state) {
    return state.cancelled() != boost::asio::cancellation_type::none;
}

boost::asio::awaitable<EnrollmentResults> spending(std::vector<ApprovedCode> codes,
                                                   ApprovedEnrollment::Spend spend) {
    EnrollmentResults results;
    for (ApprovedCode& code : codes) {
        if (isCancelled(co_await boost::asio::this_coro::cancellation_state))
            throw boost::system::system_error(boost::asio::error::operation_aborted);
        EnrollmentCode spent = code.code;
        std::exception_ptr failure;
        try {
            JoinedOrganization joined = co_await spend(std::move(code));
            results.joined.push_back(std::move(joined));
            continue;
        } catch (...) {
            failure = std::current_exception();
        }
        // A code that failed while the spending was being cancelled was not refused, whatever it reported
        // (a transport's "could not be reached", say): the cancellation ends the loop.
        if (isCancelled(co_await boost::asio::this_coro::cancellation_state))
            throw boost::system::system_error(boost::asio::error::operation_aborted);
        auto reason = refusalReason(failure);
        if (!reason)
            std::rethrow_exception(failure);
        results.refusals.push_back(CodeRefusal{std::move(spent), std::move(*reason)});
    }
    co_return results;
}

} // namespace

std::vector<ApprovedCode> ApprovedEnrollment::codes() const {
    std::vector<ApprovedCode> codes;
    codes.reserve(link().codes().size());
    for (const EnrollmentCode& code : link().codes())
        codes.push_back(ApprovedCode{link().server(), code});
    return codes;
}

boost::asio::awaitable<EnrollmentResults> ApprovedEnrollment::spendEach(Spend spend) const {
    return spending(codes(), std::move(spend));
}

} // namespace velto
