// Shared ownership in the toolkit's manner: a new object holds one reference; remember() adds
// one, forget() drops one and deletes the object with the last.
#pragma once

class CReferenceCounter {
public:
    CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;
    virtual ~CReferenceCounter() = default;

    void remember() { ++references; }
    void forget()
    {
        if (--references == 0)
            delete this;
    }

private:
    int references = 1;
};
