// A core file that breaks the rule; the check must refuse it.
#include <QString>
int planted() { return 0; }
