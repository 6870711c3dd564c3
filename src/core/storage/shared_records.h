#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

// Copy-on-write ownership of a record. Copies share one record; whoever is about to change a
// shared record (any non-const access) first takes a copy of its own, so a copy once taken never
// changes under its holder. Copying is a reference count, so a snapshot of a list of records costs
// no record copies; only the records changed while the snapshot lives are ever copied.
//
// The count is kept with acquire/release ordering: a holder that finds itself the only one left
// sees every read the others made before they let go as finished.
template <typename T>
class SharedRecord {
public:
    SharedRecord() = default;
    SharedRecord(std::unique_ptr<T> record) : m_block(record ? new Block{std::move(record)} : nullptr) {}  // NOLINT: implicit by design
    SharedRecord(const SharedRecord& other) : m_block(other.m_block) { Retain(); }
    SharedRecord(SharedRecord&& other) noexcept : m_block(std::exchange(other.m_block, nullptr)) {}
    SharedRecord& operator=(SharedRecord other) noexcept
    {
        std::swap(m_block, other.m_block);
        return *this;
    }
    ~SharedRecord() { Release(); }

    const T* get() const { return m_block ? m_block->record.get() : nullptr; }
    const T& operator*() const { return *get(); }
    const T* operator->() const { return get(); }
    T* get()
    {
        Detach();
        return m_block ? m_block->record.get() : nullptr;
    }
    T& operator*() { return *get(); }
    T* operator->() { return get(); }
    explicit operator bool() const { return m_block != nullptr; }
    // True while another copy holds the same record (for tests and checks).
    bool IsShared() const { return m_block && m_block->refs.load(std::memory_order_acquire) != 1; }

private:
    struct Block {
        std::unique_ptr<T> record;
        std::atomic<long> refs{1};
    };

    void Retain()
    {
        if (m_block)
            m_block->refs.fetch_add(1, std::memory_order_relaxed);
    }
    void Release()
    {
        if (m_block && m_block->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete m_block;
        m_block = nullptr;
    }
    void Detach()
    {
        if (!IsShared())
            return;
        auto* own = new Block{std::make_unique<T>(*m_block->record)};
        Release();
        m_block = own;
    }

    Block* m_block = nullptr;
};

// An ordered list of shared records with the copy-on-write rule for the list itself: copying the
// list is one reference count, whatever its length; changing a shared list first copies its
// pointers (not its records), and changing a record then copies only that record.
template <typename T>
class SharedRecordList {
public:
    using Item = SharedRecord<T>;
    using Items = std::vector<Item>;
    using iterator = typename Items::iterator;
    using const_iterator = typename Items::const_iterator;

    SharedRecordList() = default;
    // Copies share; there is no move, so that no list is ever left without its items.
    SharedRecordList(const SharedRecordList&) = default;
    SharedRecordList& operator=(const SharedRecordList&) = default;

    std::size_t size() const { return Read().size(); }
    bool empty() const { return Read().empty(); }
    const Item& operator[](std::size_t i) const { return Read()[i]; }
    Item& operator[](std::size_t i) { return Write()[i]; }
    const Item& at(std::size_t i) const { return Read().at(i); }
    Item& at(std::size_t i) { return Write().at(i); }
    const Item& back() const { return Read().back(); }
    Item& back() { return Write().back(); }
    const_iterator begin() const { return Read().begin(); }
    const_iterator end() const { return Read().end(); }
    iterator begin() { return Write().begin(); }
    iterator end() { return Write().end(); }

    void push_back(Item item) { Write().push_back(std::move(item)); }
    iterator insert(const_iterator at, Item item) { return Write().insert(at, std::move(item)); }
    iterator erase(const_iterator at) { return Write().erase(at); }
    void reserve(std::size_t count) { Write().reserve(count); }
    void clear() { m_items = std::make_unique<Items>(); }

private:
    const Items& Read() const { return *m_items; }
    Items& Write() { return *m_items; }

    SharedRecord<Items> m_items{std::make_unique<Items>()};
};
