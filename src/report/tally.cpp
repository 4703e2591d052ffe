#include "report/tally.h"

namespace report {

std::array<Aggregate*, 9> Tally::Aggregates() {
    return {&days_,   &fixtures_, &presses_, &hours_, &failures_,
            &cycles_, &repeats_,  &voided_,  &order_};
}

void Tally::OnPress(const Press& press) {
    const StationPress row{press, stations_.Of(press.title, press.stationFolder)};
    for (Aggregate* aggregate : Aggregates()) {
        aggregate->Update(row);
    }
}

void Tally::OnBadRow(BadRow bad) {
    badRows_.Add(std::move(bad));
}

void Tally::EndDay() {
    for (Aggregate* aggregate : Aggregates()) {
        aggregate->Finish();
    }
}

}  // namespace report
