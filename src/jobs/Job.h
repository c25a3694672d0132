#pragma once

#include "jobs/JobContext.h"

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace jobs {

// A job with the type of its result erased, so that one worker runs any job.
// run() does the work on the job's thread; deliver() afterwards hands the
// typed result to the handler given to makeJob (the worker calls it on the
// window thread). A default-constructed Job is null: nothing to run.
class Job
{
public:
    Job() = default;

    bool isNull() const { return !m_run; }
    bool hasResultHandler() const { return static_cast<bool>(m_deliver); }
    void run(JobContext &context) { m_run(context); }
    void deliver()
    {
        if (m_deliver)
            m_deliver();
    }

private:
    template <typename Function, typename Handler> friend Job makeJob(Function job, Handler onResult);
    template <typename Function> friend Job makeJob(Function job);

    std::function<void(JobContext &)> m_run;
    std::function<void()> m_deliver;
};

// job: Result(JobContext &). onResult: void(Result) for a typed result,
// void() for a job that returns nothing; it runs only after job returned.
template <typename Function, typename Handler> Job makeJob(Function job, Handler onResult)
{
    using Result = std::invoke_result_t<Function &, JobContext &>;
    Job erased;
    if constexpr (std::is_void_v<Result>) {
        erased.m_run = std::move(job);
        erased.m_deliver = std::move(onResult);
    } else {
        auto result = std::make_shared<std::optional<Result>>();
        erased.m_run = [job = std::move(job), result](JobContext &context) mutable { result->emplace(job(context)); };
        erased.m_deliver = [onResult = std::move(onResult), result]() mutable {
            if (*result)
                onResult(std::move(**result));
        };
    }
    return erased;
}

// A job whose result nobody takes, or that leaves it in a shared record.
template <typename Function> Job makeJob(Function job)
{
    Job erased;
    erased.m_run = [job = std::move(job)](JobContext &context) mutable { (void)job(context); };
    return erased;
}

} // namespace jobs
