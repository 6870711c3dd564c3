#pragma once

#include <QString>

struct ProfileRecord;

// A readable description of a profile, one setting per line.
QString DescribeProfile(const ProfileRecord& profile);
