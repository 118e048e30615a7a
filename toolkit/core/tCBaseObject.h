#pragma once

// The root of every toolkit and application class.
class tCBaseObject {
public:
    virtual ~tCBaseObject() = default;
};
