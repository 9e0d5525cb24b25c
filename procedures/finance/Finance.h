#pragma once

namespace organiser {
class OrganiserWindow;
class OrganiserPanes;
}

namespace finance {

// Gives the organiser window its finance page: the entry and category forms, the category
// tree's routines and menu, the charts, the reports.
void attachFinance(organiser::OrganiserWindow& window, organiser::OrganiserPanes& panes);

} // namespace finance
