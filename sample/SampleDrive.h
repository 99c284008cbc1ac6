#pragma once

#include "sample/DriveBuilder.h"

#include <cstdint>
#include <filesystem>

namespace sample {

// The bundled sample payroll drive (calendar year 1999): four companies, 40 employees, the
// income codes of sections 3 to 6 and a year of withholding records. Deterministic: every run
// writes the same bytes.
DriveBuilder sampleDrive();
void writeSampleDrive(const std::filesystem::path& root);

// Cases of the sample drive that tests name, by company and employee code.
struct SampleEmployee {
    const char* company;
    const char* employee;
};
namespace sampleCase {
// 15 section-3 lines (41-48, raw 40 and 49, 4A-4E): the section runs onto a second page.
inline constexpr SampleEmployee kManyTaxableLines{"01", "00001"};
// Admitted in November with three dependants: the "91" deductions exceed the "61" amounts.
inline constexpr SampleEmployee kDeductionsAbove13th{"01", "00004"};
// "91" deductions and no "61" record.
inline constexpr SampleEmployee kDeductionsWithout13th{"03", "00002"};
// Two raw "41" records (salary, and a difference paid in November and December).
inline constexpr SampleEmployee kDuplicateKey{"02", "00003"};
// Its only "52" record is marked deleted.
inline constexpr SampleEmployee kDeletedRecord{"02", "00004"};
// Two employees of one company with the same name.
inline constexpr SampleEmployee kSameNameFirst{"02", "00006"};
inline constexpr SampleEmployee kSameNameSecond{"02", "00011"};
// Admitted in June: January to May are blank in every record.
inline constexpr SampleEmployee kAdmittedInJune{"02", "00008"};
// Dismissed in August: September to December blank, "56" indemnity in August.
inline constexpr SampleEmployee kDismissedInAugust{"03", "00005"};
// Raw records of an employee missing from FP_FUN.
inline constexpr SampleEmployee kNotInPayroll{"03", "00099"};
// Employer who is a person: blank CNPJ, a CPF.
inline constexpr const char* kPersonEmployer = "04";
// Company with a CNPJ and its owner's CPF as well.
inline constexpr const char* kCnpjAndCpf = "02";
} // namespace sampleCase

// A large drive for benchmarks, streamed to disk. Employees are spread evenly over the
// companies; each has recordsPerEmployee raw records cycling through the sample's payroll
// codes (so keys repeat), about one in a thousand marked deleted.
struct GeneratedDriveOptions {
    int employees = 20000;
    int recordsPerEmployee = 50;
    int companies = 4;
    std::uint64_t seed = 1999;
};
// Refuses options a drive cannot hold (company and employee codes have 2 and 5 digits).
void checkGeneratedDriveOptions(const GeneratedDriveOptions& options);
void writeGeneratedDrive(const std::filesystem::path& root,
                         const GeneratedDriveOptions& options = {});

} // namespace sample
