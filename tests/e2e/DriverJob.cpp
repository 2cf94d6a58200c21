#include "tests/e2e/DriverJob.h"

namespace e2e {

namespace {

// Created once and never closed: the system closes it when the driver's process ends,
// and closing it ends every process in it.
HANDLE DriverJob()
{
    static const HANDLE job = [] {
        HANDLE created = CreateJobObjectW(nullptr, nullptr);
        if (created) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        }
        return created;
    }();
    return job;
}

}  // namespace

bool AddToDriverJob(HANDLE process)
{
    HANDLE job = DriverJob();
    return job && AssignProcessToJobObject(job, process);
}

}  // namespace e2e
