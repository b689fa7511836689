#pragma once

#include <QObject>
#include <QPointer>

// A non-owning reference to a delegate interface. When the object behind
// the interface is a QObject, its destruction clears the reference, so a
// call to a delegate that is gone goes nowhere instead of into freed memory.
template <class Interface>
class DelegateRef {
public:
    DelegateRef() = default;

    void reset(Interface* delegate)
    {
        m_delegate = delegate;
        m_object = dynamic_cast<QObject*>(delegate);
        m_tracked = !m_object.isNull();
    }

    Interface* get() const { return (m_tracked && m_object.isNull()) ? nullptr : m_delegate; }

private:
    Interface* m_delegate = nullptr;
    QPointer<QObject> m_object;
    bool m_tracked = false;
};
