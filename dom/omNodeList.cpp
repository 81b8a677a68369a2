#include "dom/omNodeList.h"

#include "dom/omElement.h"

std::shared_ptr<omElement> omNodeList::operator()() { return at(current); }

bool omNodeList::isEmpty() const { return length() == 0; }

bool omNodeList::operator++() {
    // A list that shrank behind the cursor starts over too, rather than never recovering.
    if (current >= length())
        current = 0;
    else
        ++current;
    return !invalid();
}

void omNodeList::reset() { current = -1; }

std::shared_ptr<omElement> omNodeList::next_node() {
    if (!++(*this))
        return nullptr;
    return (*this)();
}

bool omNodeList::invalid() const { return current < 0 || current >= length(); }
