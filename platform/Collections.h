// The framework's object root and collection templates (CObject, CList, CArray, CStringArray,
// CStringList) with the operations the engine uses. Lists are doubly linked with stable node
// positions; arrays store their elements by value in index order.
#pragma once

#include "platform/CString.h"
#include "platform/Export.h"

#include <cassert>
#include <utility>
#include <vector>

class CArchive;
class CDumpContext;

/// Run-time class information: just the class name, which is all the engine ever asks for.
struct CRuntimeClass
{
    const char* m_lpszClassName;
};

/// Root of the framework's class tree. Its five virtual operations fix the virtual-table layout
/// that classes derived from it share: run-time class, destructor, serialise, validity check, dump.
class PLATFORM_API CObject
{
  public:
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    /// Archives are not used on this platform; serialising does nothing.
    virtual void Serialize(CArchive& archive);
    virtual void AssertValid() const;
    virtual void Dump(CDumpContext& context) const;

  protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

/// An opaque position in a list: the address of a node, or null past either end.
struct __POSITION
{
};
using POSITION = __POSITION*;

/// A doubly-linked list of TYPE values; ARG_TYPE is how values are passed in.
template <class TYPE, class ARG_TYPE = const TYPE&> class CList : public CObject
{
    struct Node : __POSITION
    {
        Node* next;
        Node* prev;
        TYPE data;
    };

  public:
    explicit CList(int nBlockSize = 10) : blockSize_(nBlockSize)
    {
    }
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;
    ~CList() override
    {
        RemoveAll();
    }

    int GetCount() const
    {
        return count_;
    }
    int GetSize() const
    {
        return count_;
    }
    bool IsEmpty() const
    {
        return count_ == 0;
    }

    TYPE& GetHead()
    {
        assert(head_);
        return head_->data;
    }
    const TYPE& GetHead() const
    {
        assert(head_);
        return head_->data;
    }
    TYPE& GetTail()
    {
        assert(tail_);
        return tail_->data;
    }
    const TYPE& GetTail() const
    {
        assert(tail_);
        return tail_->data;
    }

    TYPE RemoveHead()
    {
        assert(head_);
        TYPE value = head_->data;
        RemoveAt(head_);
        return value;
    }
    TYPE RemoveTail()
    {
        assert(tail_);
        TYPE value = tail_->data;
        RemoveAt(tail_);
        return value;
    }

    POSITION AddHead(ARG_TYPE value)
    {
        return InsertBefore(head_, value);
    }
    POSITION AddTail(ARG_TYPE value)
    {
        return InsertAfter(tail_, value);
    }
    /// Appends copies of every value of the other list.
    void AddTail(const CList* other)
    {
        for (Node* n = other->head_; n; n = n->next)
            AddTail(n->data);
    }

    void RemoveAll()
    {
        for (Node* n = head_; n;)
        {
            Node* next = n->next;
            delete n;
            n = next;
        }
        head_ = tail_ = nullptr;
        count_ = 0;
    }

    POSITION GetHeadPosition() const
    {
        return head_;
    }
    POSITION GetTailPosition() const
    {
        return tail_;
    }
    /// The value at pos; pos moves to the next node (null after the tail).
    TYPE& GetNext(POSITION& pos)
    {
        Node* n = node(pos);
        pos = n->next;
        return n->data;
    }
    const TYPE& GetNext(POSITION& pos) const
    {
        Node* n = node(pos);
        pos = n->next;
        return n->data;
    }
    TYPE& GetPrev(POSITION& pos)
    {
        Node* n = node(pos);
        pos = n->prev;
        return n->data;
    }
    const TYPE& GetPrev(POSITION& pos) const
    {
        Node* n = node(pos);
        pos = n->prev;
        return n->data;
    }
    TYPE& GetAt(POSITION pos)
    {
        return node(pos)->data;
    }
    const TYPE& GetAt(POSITION pos) const
    {
        return node(pos)->data;
    }
    void SetAt(POSITION pos, ARG_TYPE value)
    {
        node(pos)->data = value;
    }

    /// Unlinks and frees the node at pos; pos must be valid.
    void RemoveAt(POSITION pos)
    {
        Node* n = node(pos);
        (n->prev ? n->prev->next : head_) = n->next;
        (n->next ? n->next->prev : tail_) = n->prev;
        delete n;
        --count_;
    }

    /// Inserts before pos; a null pos inserts at the head.
    POSITION InsertBefore(POSITION pos, ARG_TYPE value)
    {
        Node* at = pos ? static_cast<Node*>(pos) : head_;
        Node* n = new Node{{}, at, at ? at->prev : nullptr, TYPE(value)};
        (at ? at->prev : tail_) = n;
        (n->prev ? n->prev->next : head_) = n;
        ++count_;
        return n;
    }
    /// Inserts after pos; a null pos inserts at the tail.
    POSITION InsertAfter(POSITION pos, ARG_TYPE value)
    {
        Node* at = pos ? static_cast<Node*>(pos) : tail_;
        Node* n = new Node{{}, at ? at->next : nullptr, at, TYPE(value)};
        (at ? at->next : head_) = n;
        (n->next ? n->next->prev : tail_) = n;
        ++count_;
        return n;
    }

    /// Position of the first value equal to value at or after startAfter's successor, or null.
    POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const
    {
        for (Node* n = startAfter ? static_cast<Node*>(startAfter)->next : head_; n; n = n->next)
            if (n->data == value)
                return n;
        return nullptr;
    }
    /// Position of the index-th node from the head, or null when out of range.
    POSITION FindIndex(int index) const
    {
        if (index < 0 || index >= count_)
            return nullptr;
        Node* n = head_;
        while (index-- > 0)
            n = n->next;
        return n;
    }

  private:
    static Node* node(POSITION pos)
    {
        assert(pos);
        return static_cast<Node*>(pos);
    }

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    int count_ = 0;
    int blockSize_;
};

/// A growable array of TYPE values stored by value in index order.
template <class TYPE, class ARG_TYPE = const TYPE&> class CArray : public CObject
{
  public:
    CArray() = default;
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;

    int GetSize() const
    {
        return static_cast<int>(items_.size());
    }
    int GetCount() const
    {
        return GetSize();
    }
    int GetUpperBound() const
    {
        return GetSize() - 1;
    }
    bool IsEmpty() const
    {
        return items_.empty();
    }
    /// Resizes to newSize elements; new elements are default-constructed. growBy is a hint.
    void SetSize(int newSize, int growBy = -1)
    {
        if (growBy > 0)
            growBy_ = growBy;
        items_.resize(static_cast<size_t>(newSize < 0 ? 0 : newSize));
    }
    void RemoveAll()
    {
        items_.clear();
    }
    /// A copy of the element at index; index must be in range.
    TYPE GetAt(int index) const
    {
        return items_.at(static_cast<size_t>(index));
    }
    void SetAt(int index, ARG_TYPE value)
    {
        items_.at(static_cast<size_t>(index)) = value;
    }
    TYPE& ElementAt(int index)
    {
        return items_.at(static_cast<size_t>(index));
    }
    const TYPE& ElementAt(int index) const
    {
        return items_.at(static_cast<size_t>(index));
    }
    TYPE& operator[](int index)
    {
        return ElementAt(index);
    }
    const TYPE& operator[](int index) const
    {
        return ElementAt(index);
    }
    /// Sets the element at index, growing the array first when index is past its end.
    void SetAtGrow(int index, ARG_TYPE value)
    {
        if (index >= GetSize())
        {
            TYPE copy(value); // value may be an element, which growing would move
            SetSize(index + 1);
            SetAt(index, copy);
            return;
        }
        SetAt(index, value);
    }
    /// Appends value; returns its index.
    int Add(ARG_TYPE value)
    {
        items_.push_back(value);
        return GetSize() - 1;
    }
    /// Inserts count copies of value before index, growing the array first when index is past its
    /// end. A negative index or count is a caller error (asserted) and inserts nothing.
    void InsertAt(int index, ARG_TYPE value, int count = 1)
    {
        assert(index >= 0 && count >= 0);
        if (index < 0 || count <= 0)
            return;
        if (index > GetSize())
        {
            TYPE copy(value); // value may be an element, which growing would move
            SetSize(index);
            items_.insert(items_.begin() + index, static_cast<size_t>(count), copy);
            return;
        }
        items_.insert(items_.begin() + index, static_cast<size_t>(count), value);
    }
    /// Removes count elements from index. A range outside the array is a caller error (asserted);
    /// only the part inside the array is removed.
    void RemoveAt(int index, int count = 1)
    {
        assert(index >= 0 && count >= 0 && index <= GetSize() - count);
        const int first = index < 0 ? 0 : index > GetSize() ? GetSize() : index;
        const int last = count < 0 ? first : count > GetSize() - first ? GetSize() : first + count;
        items_.erase(items_.begin() + first, items_.begin() + last);
    }
    void Copy(const CArray& other)
    {
        if (this != &other)
            items_ = other.items_;
    }
    int Append(const CArray& other)
    {
        const int first = GetSize();
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
        return first;
    }
    TYPE* GetData()
    {
        return items_.data();
    }
    const TYPE* GetData() const
    {
        return items_.data();
    }

  private:
    std::vector<TYPE> items_;
    int growBy_ = 0;
};

// The string collections' template code is compiled once, into the platform library, and
// exported from it like the rest of the framework.
extern template class PLATFORM_API CArray<CString, const CString&>;
extern template class PLATFORM_API CList<CString, const CString&>;

/// An array of strings.
class PLATFORM_API CStringArray : public CArray<CString, const CString&>
{
};

/// A list of strings; the block size is kept for the framework's allocation scheme.
class PLATFORM_API CStringList : public CList<CString, const CString&>
{
  public:
    explicit CStringList(int nBlockSize = 10) : CList(nBlockSize)
    {
    }
};
