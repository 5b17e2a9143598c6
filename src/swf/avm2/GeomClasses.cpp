// flash.geom's Point, Rectangle, Matrix, ColorTransform and Transform. The player writes the
// first four in ActionScript over public Number variables, so they are slots here, and the
// methods read them through the ordinary lookup (a subclass's override takes part) in the
// order the player's code does.
#include <array>
#include <cmath>
#include <string>

#include "swf/avm2/GeomClasses.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/geom/Geometry.h"

namespace swf::avm2 {

namespace {

Name publicName(Machine& m, const std::string& name) {
    return Name::qualified(m.namespaces().publicNs(), name);
}

double field(Machine& m, const Value& object, const char* name) {
    if (!object.isObject()) m.throwError("TypeError", 1009, "Cannot access a property or method of a null object reference.");
    return m.toNumber(m.getProperty(object, publicName(m, name)));
}

void setField(Machine& m, const Value& object, const char* name, double value) {
    m.setProperty(object, publicName(m, name), Value::number(value));
}

double numberArg(Machine& m, std::span<const Value> args, size_t index, double fallback) {
    return index < args.size() ? m.toNumber(args[index]) : fallback;
}

Value makeGeom(Machine& m, const char* className, std::initializer_list<double> numbers) {
    std::vector<Value> args;
    for (double n : numbers) args.push_back(Value::number(n));
    return m.construct(Value::object(m.findClass(className)), args);
}

// "(x=1, y=2)": the fields as the player's toString joins them.
void defineToString(Machine& m, ClassObject* cls, std::vector<std::pair<const char*, const char*>> parts) {
    defineNativeMethod(m, cls, "toString", [parts](Machine& m, const Value& self, std::span<const Value>) {
        std::string text = "(";
        for (size_t i = 0; i < parts.size(); ++i) {
            if (i) text += ", ";
            text += std::string(parts[i].first) + "=" + m.toString(m.getProperty(self, publicName(m, parts[i].second)));
        }
        return Value::string(text + ")");
    });
}

using Method = std::function<Value(Machine&, const Value&, std::span<const Value>)>;

void method(Machine& m, ClassObject* cls, const char* name, Method body) {
    defineNativeMethod(m, cls, name, std::move(body));
}

void staticMethod(Machine& m, ClassObject* cls, const char* name, NativeFunction body) {
    Binding b;
    b.kind = Binding::Kind::Method;
    b.method = m.newNative(std::move(body));
    cls->classTraits->bind(m.namespaces().publicNs(), name, b);
}

void installPoint(Machine& m) {
    ClassObject* point = defineNumberClass(m, "flash.geom", "Point", {"x", "y"}, {0, 0});
    defineToString(m, point, {{"x", "x"}, {"y", "y"}});
    m.defineAccessor(point, "length", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(std::hypot(field(m, self, "x"), field(m, self, "y")));
    });
    method(m, point, "add", [](Machine& m, const Value& self, std::span<const Value> args) {
        Value v = argAt(args, 0);
        return makeGeom(m, "flash.geom::Point", {field(m, self, "x") + field(m, v, "x"), field(m, self, "y") + field(m, v, "y")});
    });
    method(m, point, "subtract", [](Machine& m, const Value& self, std::span<const Value> args) {
        Value v = argAt(args, 0);
        return makeGeom(m, "flash.geom::Point", {field(m, self, "x") - field(m, v, "x"), field(m, self, "y") - field(m, v, "y")});
    });
    method(m, point, "clone", [](Machine& m, const Value& self, std::span<const Value>) {
        return makeGeom(m, "flash.geom::Point", {field(m, self, "x"), field(m, self, "y")});
    });
    method(m, point, "equals", [](Machine& m, const Value& self, std::span<const Value> args) {
        Value v = argAt(args, 0);
        return Value::boolean(field(m, self, "x") == field(m, v, "x") && field(m, self, "y") == field(m, v, "y"));
    });
    method(m, point, "normalize", [](Machine& m, const Value& self, std::span<const Value> args) {
        double x = field(m, self, "x"), y = field(m, self, "y"), length = std::hypot(x, y);
        if (length > 0) {
            double scale = numberArg(m, args, 0, 0) / length;
            setField(m, self, "x", x * scale);
            setField(m, self, "y", y * scale);
        }
        return Value();
    });
    method(m, point, "offset", [](Machine& m, const Value& self, std::span<const Value> args) {
        setField(m, self, "x", field(m, self, "x") + numberArg(m, args, 0, 0));
        setField(m, self, "y", field(m, self, "y") + numberArg(m, args, 1, 0));
        return Value();
    });
    method(m, point, "setTo", [](Machine& m, const Value& self, std::span<const Value> args) {
        setField(m, self, "x", numberArg(m, args, 0, 0));
        setField(m, self, "y", numberArg(m, args, 1, 0));
        return Value();
    });
    method(m, point, "copyFrom", [](Machine& m, const Value& self, std::span<const Value> args) {
        Value v = argAt(args, 0);
        setField(m, self, "x", field(m, v, "x"));
        setField(m, self, "y", field(m, v, "y"));
        return Value();
    });
    staticMethod(m, point, "distance", [](Machine& m, const Value&, std::span<const Value> args) {
        Value a = argAt(args, 0), b = argAt(args, 1);
        return Value::number(std::hypot(field(m, a, "x") - field(m, b, "x"), field(m, a, "y") - field(m, b, "y")));
    });
    staticMethod(m, point, "interpolate", [](Machine& m, const Value&, std::span<const Value> args) {
        Value a = argAt(args, 0), b = argAt(args, 1);
        double f = numberArg(m, args, 2, 0);
        double bx = field(m, b, "x"), by = field(m, b, "y");
        return makeGeom(m, "flash.geom::Point", {bx + f * (field(m, a, "x") - bx), by + f * (field(m, a, "y") - by)});
    });
    staticMethod(m, point, "polar", [](Machine& m, const Value&, std::span<const Value> args) {
        double length = numberArg(m, args, 0, 0), angle = numberArg(m, args, 1, 0);
        return makeGeom(m, "flash.geom::Point", {length * std::cos(angle), length * std::sin(angle)});
    });
}

struct Box {
    double x, y, width, height;
};

Box boxOf(Machine& m, const Value& r) {
    return {field(m, r, "x"), field(m, r, "y"), field(m, r, "width"), field(m, r, "height")};
}

void setBox(Machine& m, const Value& r, const Box& b) {
    setField(m, r, "x", b.x);
    setField(m, r, "y", b.y);
    setField(m, r, "width", b.width);
    setField(m, r, "height", b.height);
}

Value newRectangle(Machine& m, const Box& b) {
    return makeGeom(m, "flash.geom::Rectangle", {b.x, b.y, b.width, b.height});
}

bool emptyBox(const Box& b) {
    return b.width <= 0 || b.height <= 0;
}

// Math.min and Math.max: NaN wins.
double minOf(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? std::nan("") : std::min(a, b);
}

double maxOf(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? std::nan("") : std::max(a, b);
}

// A rectangle's edge property: what it reads and how setting it moves the others.
void rectangleAccessor(Machine& m, ClassObject* cls, const char* name, double (*get)(const Box&),
                       void (*set)(Box&, double)) {
    m.defineAccessor(cls, name, [get](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(get(boxOf(m, self)));
    }, [set](Machine& m, const Value& self, std::span<const Value> args) {
        Box b = boxOf(m, self);
        set(b, m.toNumber(argAt(args, 0)));
        setBox(m, self, b);
        return Value();
    });
}

// The corner and size properties, which give and take Points.
void rectanglePointAccessor(Machine& m, ClassObject* cls, const char* name, Point (*get)(const Box&),
                            void (*set)(Box&, Point)) {
    m.defineAccessor(cls, name, [get](Machine& m, const Value& self, std::span<const Value>) {
        Point p = get(boxOf(m, self));
        return makeGeom(m, "flash.geom::Point", {p.x, p.y});
    }, [set](Machine& m, const Value& self, std::span<const Value> args) {
        Box b = boxOf(m, self);
        Value v = argAt(args, 0);
        set(b, Point{field(m, v, "x"), field(m, v, "y")});
        setBox(m, self, b);
        return Value();
    });
}

void installRectangle(Machine& m) {
    ClassObject* rect = defineNumberClass(m, "flash.geom", "Rectangle", {"x", "y", "width", "height"}, {0, 0, 0, 0});
    defineToString(m, rect, {{"x", "x"}, {"y", "y"}, {"w", "width"}, {"h", "height"}});
    rectangleAccessor(m, rect, "left", [](const Box& b) { return b.x; }, [](Box& b, double v) {
        b.width += b.x - v;
        b.x = v;
    });
    rectangleAccessor(m, rect, "right", [](const Box& b) { return b.x + b.width; }, [](Box& b, double v) { b.width = v - b.x; });
    rectangleAccessor(m, rect, "top", [](const Box& b) { return b.y; }, [](Box& b, double v) {
        b.height += b.y - v;
        b.y = v;
    });
    rectangleAccessor(m, rect, "bottom", [](const Box& b) { return b.y + b.height; }, [](Box& b, double v) { b.height = v - b.y; });
    rectanglePointAccessor(m, rect, "topLeft", [](const Box& b) { return Point{b.x, b.y}; }, [](Box& b, Point p) {
        b.width += b.x - p.x;
        b.height += b.y - p.y;
        b.x = p.x;
        b.y = p.y;
    });
    rectanglePointAccessor(m, rect, "bottomRight", [](const Box& b) { return Point{b.x + b.width, b.y + b.height}; },
                           [](Box& b, Point p) {
                               b.width = p.x - b.x;
                               b.height = p.y - b.y;
                           });
    rectanglePointAccessor(m, rect, "size", [](const Box& b) { return Point{b.width, b.height}; }, [](Box& b, Point p) {
        b.width = p.x;
        b.height = p.y;
    });
    method(m, rect, "clone", [](Machine& m, const Value& self, std::span<const Value>) { return newRectangle(m, boxOf(m, self)); });
    method(m, rect, "isEmpty", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(emptyBox(boxOf(m, self)));
    });
    method(m, rect, "setEmpty", [](Machine& m, const Value& self, std::span<const Value>) {
        setBox(m, self, Box{0, 0, 0, 0});
        return Value();
    });
    method(m, rect, "setTo", [](Machine& m, const Value& self, std::span<const Value> args) {
        setBox(m, self, Box{numberArg(m, args, 0, 0), numberArg(m, args, 1, 0), numberArg(m, args, 2, 0), numberArg(m, args, 3, 0)});
        return Value();
    });
    method(m, rect, "copyFrom", [](Machine& m, const Value& self, std::span<const Value> args) {
        setBox(m, self, boxOf(m, argAt(args, 0)));
        return Value();
    });
    method(m, rect, "equals", [](Machine& m, const Value& self, std::span<const Value> args) {
        Box a = boxOf(m, self), b = boxOf(m, argAt(args, 0));
        return Value::boolean(a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height);
    });
    auto inflate = [](Machine& m, const Value& self, double dx, double dy) {
        Box b = boxOf(m, self);
        setBox(m, self, Box{b.x - dx, b.y - dy, b.width + 2 * dx, b.height + 2 * dy});
    };
    method(m, rect, "inflate", [inflate](Machine& m, const Value& self, std::span<const Value> args) {
        inflate(m, self, numberArg(m, args, 0, 0), numberArg(m, args, 1, 0));
        return Value();
    });
    method(m, rect, "inflatePoint", [inflate](Machine& m, const Value& self, std::span<const Value> args) {
        Value p = argAt(args, 0);
        inflate(m, self, field(m, p, "x"), field(m, p, "y"));
        return Value();
    });
    auto offset = [](Machine& m, const Value& self, double dx, double dy) {
        setField(m, self, "x", field(m, self, "x") + dx);
        setField(m, self, "y", field(m, self, "y") + dy);
    };
    method(m, rect, "offset", [offset](Machine& m, const Value& self, std::span<const Value> args) {
        offset(m, self, numberArg(m, args, 0, 0), numberArg(m, args, 1, 0));
        return Value();
    });
    method(m, rect, "offsetPoint", [offset](Machine& m, const Value& self, std::span<const Value> args) {
        Value p = argAt(args, 0);
        offset(m, self, field(m, p, "x"), field(m, p, "y"));
        return Value();
    });
    auto contains = [](const Box& b, double x, double y) {
        return x >= b.x && y >= b.y && x < b.x + b.width && y < b.y + b.height;
    };
    method(m, rect, "contains", [contains](Machine& m, const Value& self, std::span<const Value> args) {
        return Value::boolean(contains(boxOf(m, self), numberArg(m, args, 0, 0), numberArg(m, args, 1, 0)));
    });
    method(m, rect, "containsPoint", [contains](Machine& m, const Value& self, std::span<const Value> args) {
        Value p = argAt(args, 0);
        return Value::boolean(contains(boxOf(m, self), field(m, p, "x"), field(m, p, "y")));
    });
    method(m, rect, "containsRect", [](Machine& m, const Value& self, std::span<const Value> args) {
        Box a = boxOf(m, self), b = boxOf(m, argAt(args, 0));
        if (emptyBox(b)) return Value::boolean(false);
        return Value::boolean(b.x >= a.x && b.y >= a.y && b.x + b.width <= a.x + a.width && b.y + b.height <= a.y + a.height);
    });
    auto intersection = [](const Box& a, const Box& b) {
        if (emptyBox(a) || emptyBox(b)) return Box{0, 0, 0, 0};
        Box r{maxOf(a.x, b.x), maxOf(a.y, b.y), 0, 0};
        r.width = minOf(a.x + a.width, b.x + b.width) - r.x;
        r.height = minOf(a.y + a.height, b.y + b.height) - r.y;
        return emptyBox(r) ? Box{0, 0, 0, 0} : r;
    };
    method(m, rect, "intersection", [intersection](Machine& m, const Value& self, std::span<const Value> args) {
        return newRectangle(m, intersection(boxOf(m, self), boxOf(m, argAt(args, 0))));
    });
    method(m, rect, "intersects", [intersection](Machine& m, const Value& self, std::span<const Value> args) {
        return Value::boolean(!emptyBox(intersection(boxOf(m, self), boxOf(m, argAt(args, 0)))));
    });
    method(m, rect, "union", [](Machine& m, const Value& self, std::span<const Value> args) {
        Box a = boxOf(m, self), b = boxOf(m, argAt(args, 0));
        if (emptyBox(a)) return newRectangle(m, b);
        if (emptyBox(b)) return newRectangle(m, a);
        Box r{minOf(a.x, b.x), minOf(a.y, b.y), 0, 0};
        r.width = maxOf(a.x + a.width, b.x + b.width) - r.x;
        r.height = maxOf(a.y + a.height, b.y + b.height) - r.y;
        return newRectangle(m, r);
    });
}

}  // namespace

ClassObject* defineNumberClass(Machine& m, const char* package, const char* name, std::initializer_list<const char*> names,
                               std::vector<double> defaults) {
    ClassObject* cls = m.defineClass(package, name, m.builtins().object);
    std::vector<std::string> fields;
    for (const char* n : names) {
        Binding b;
        b.kind = Binding::Kind::Slot;
        b.slot = cls->instanceTraits->addSlot(0, SlotType::Number, Value::number(defaults[fields.size()]));
        cls->instanceTraits->bind(m.namespaces().publicNs(), n, b);
        fields.emplace_back(n);
    }
    cls->sealed = true;
    cls->nativeInitializer = [fields, defaults](Machine& m, const Value& self, std::span<const Value> args) {
        for (size_t i = 0; i < fields.size(); ++i)
            setField(m, self, fields[i].c_str(), numberArg(m, args, i, defaults[i]));
        return Value();
    };
    return cls;
}

Matrix matrixOf(Machine& m, const Value& v) {
    return Matrix{field(m, v, "a"), field(m, v, "b"), field(m, v, "c"), field(m, v, "d"), field(m, v, "tx"), field(m, v, "ty")};
}

void setMatrixFields(Machine& m, const Value& v, const Matrix& mx) {
    setField(m, v, "a", mx.a);
    setField(m, v, "b", mx.b);
    setField(m, v, "c", mx.c);
    setField(m, v, "d", mx.d);
    setField(m, v, "tx", mx.tx);
    setField(m, v, "ty", mx.ty);
}

Value newMatrix(Machine& m, const Matrix& mx) {
    return makeGeom(m, "flash.geom::Matrix", {mx.a, mx.b, mx.c, mx.d, mx.tx, mx.ty});
}

Value newPoint(Machine& m, double x, double y) {
    return makeGeom(m, "flash.geom::Point", {x, y});
}

Value newRectangle(Machine& m, double x, double y, double width, double height) {
    return newRectangle(m, Box{x, y, width, height});
}

namespace {

// The player's matrix arithmetic: `concat` applies `second` after this one.
Matrix concatenated(const Matrix& first, const Matrix& second) {
    return second * first;
}

Matrix inverse(const Matrix& mx) {
    if (mx.b == 0 && mx.c == 0) {
        Matrix r{1 / mx.a, 0, 0, 1 / mx.d, 0, 0};
        r.tx = -r.a * mx.tx;
        r.ty = -r.d * mx.ty;
        return r;
    }
    double det = mx.a * mx.d - mx.b * mx.c;
    if (det == 0) return Matrix{};
    Matrix r{mx.d / det, -mx.b / det, -mx.c / det, mx.a / det, 0, 0};
    r.tx = -(r.a * mx.tx + r.c * mx.ty);
    r.ty = -(r.b * mx.tx + r.d * mx.ty);
    return r;
}

Matrix box(double scaleX, double scaleY, double rotation, double tx, double ty) {
    double cos = std::cos(rotation), sin = std::sin(rotation);
    return Matrix{scaleX * cos, scaleY * sin, -scaleX * sin, scaleY * cos, tx, ty};
}

// Rows of the matrix as Vector3D's x, y and z: (a, c, tx), (b, d, ty), then (0, 0, 1).
void installMatrixVectors(Machine& m, ClassObject* matrix) {
    static constexpr const char* kRows[2][3] = {{"a", "c", "tx"}, {"b", "d", "ty"}};
    static constexpr const char* kColumns[3][2] = {{"a", "b"}, {"c", "d"}, {"tx", "ty"}};
    static constexpr const char* kAxes[3] = {"x", "y", "z"};
    method(m, matrix, "copyRowTo", [](Machine& m, const Value& self, std::span<const Value> args) {
        uint32_t row = m.toUint(argAt(args, 0));
        Value v = argAt(args, 1);
        for (int i = 0; i < 3; ++i) setField(m, v, kAxes[i], row < 2 ? field(m, self, kRows[row][i]) : i == 2);
        return Value();
    });
    method(m, matrix, "copyColumnTo", [](Machine& m, const Value& self, std::span<const Value> args) {
        uint32_t column = std::min(m.toUint(argAt(args, 0)), 2u);
        Value v = argAt(args, 1);
        setField(m, v, "x", field(m, self, kColumns[column][0]));
        setField(m, v, "y", field(m, self, kColumns[column][1]));
        setField(m, v, "z", column == 2);
        return Value();
    });
    // The player's copyColumnFrom fills a row, as copyRowFrom does.
    for (const char* name : {"copyRowFrom", "copyColumnFrom"})
        method(m, matrix, name, [](Machine& m, const Value& self, std::span<const Value> args) {
            uint32_t row = m.toUint(argAt(args, 0));
            Value v = argAt(args, 1);
            if (row < 2)
                for (int i = 0; i < 3; ++i) setField(m, self, kRows[row][i], field(m, v, kAxes[i]));
            return Value();
        });
}

void installMatrix(Machine& m) {
    ClassObject* matrix = defineNumberClass(m, "flash.geom", "Matrix", {"a", "b", "c", "d", "tx", "ty"}, {1, 0, 0, 1, 0, 0});
    defineToString(m, matrix, {{"a", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}, {"tx", "tx"}, {"ty", "ty"}});
    auto change = [](Machine& m, ClassObject* cls, const char* name, Matrix (*apply)(Machine&, const Matrix&, std::span<const Value>)) {
        method(m, cls, name, [apply](Machine& m, const Value& self, std::span<const Value> args) {
            setMatrixFields(m, self, apply(m, matrixOf(m, self), args));
            return Value();
        });
    };
    change(m, matrix, "identity", [](Machine&, const Matrix&, std::span<const Value>) { return Matrix{}; });
    change(m, matrix, "concat", [](Machine& m, const Matrix& mx, std::span<const Value> args) {
        return concatenated(mx, matrixOf(m, argAt(args, 0)));
    });
    change(m, matrix, "invert", [](Machine&, const Matrix& mx, std::span<const Value>) { return inverse(mx); });
    change(m, matrix, "rotate", [](Machine& m, const Matrix& mx, std::span<const Value> args) {
        double angle = numberArg(m, args, 0, 0), cos = std::cos(angle), sin = std::sin(angle);
        return Matrix{mx.a * cos - mx.b * sin, mx.a * sin + mx.b * cos, mx.c * cos - mx.d * sin,
                      mx.c * sin + mx.d * cos, mx.tx * cos - mx.ty * sin, mx.tx * sin + mx.ty * cos};
    });
    change(m, matrix, "scale", [](Machine& m, const Matrix& mx, std::span<const Value> args) {
        double sx = numberArg(m, args, 0, 0), sy = numberArg(m, args, 1, 0);
        return Matrix{mx.a * sx, mx.b * sy, mx.c * sx, mx.d * sy, mx.tx * sx, mx.ty * sy};
    });
    change(m, matrix, "translate", [](Machine& m, const Matrix& mx, std::span<const Value> args) {
        Matrix r = mx;
        r.tx += numberArg(m, args, 0, 0);
        r.ty += numberArg(m, args, 1, 0);
        return r;
    });
    change(m, matrix, "setTo", [](Machine& m, const Matrix&, std::span<const Value> args) {
        return Matrix{numberArg(m, args, 0, 0), numberArg(m, args, 1, 0), numberArg(m, args, 2, 0),
                      numberArg(m, args, 3, 0), numberArg(m, args, 4, 0), numberArg(m, args, 5, 0)};
    });
    change(m, matrix, "copyFrom", [](Machine& m, const Matrix&, std::span<const Value> args) { return matrixOf(m, argAt(args, 0)); });
    change(m, matrix, "createBox", [](Machine& m, const Matrix&, std::span<const Value> args) {
        return box(numberArg(m, args, 0, 0), numberArg(m, args, 1, 0), numberArg(m, args, 2, 0), numberArg(m, args, 3, 0),
                   numberArg(m, args, 4, 0));
    });
    change(m, matrix, "createGradientBox", [](Machine& m, const Matrix&, std::span<const Value> args) {
        // The gradient square is 1638.4 pixels wide, centred on the origin.
        double width = numberArg(m, args, 0, 0), height = numberArg(m, args, 1, 0);
        return box(width / 1638.4, height / 1638.4, numberArg(m, args, 2, 0), numberArg(m, args, 3, 0) + width / 2,
                   numberArg(m, args, 4, 0) + height / 2);
    });
    method(m, matrix, "clone", [](Machine& m, const Value& self, std::span<const Value>) { return newMatrix(m, matrixOf(m, self)); });
    installMatrixVectors(m, matrix);
    method(m, matrix, "transformPoint", [](Machine& m, const Value& self, std::span<const Value> args) {
        Value p = argAt(args, 0);
        Point r = matrixOf(m, self).apply(Point{field(m, p, "x"), field(m, p, "y")});
        return newPoint(m, r.x, r.y);
    });
    method(m, matrix, "deltaTransformPoint", [](Machine& m, const Value& self, std::span<const Value> args) {
        Value p = argAt(args, 0);
        Matrix mx = matrixOf(m, self);
        double x = field(m, p, "x"), y = field(m, p, "y");
        return newPoint(m, mx.a * x + mx.c * y, mx.b * x + mx.d * y);
    });
}

void installVector3D(Machine& m) {
    ClassObject* vector = defineNumberClass(m, "flash.geom", "Vector3D", {"x", "y", "z", "w"}, {0, 0, 0, 0});
    method(m, vector, "toString", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string("Vector3D(" + m.toString(Value::number(field(m, self, "x"))) + ", " +
                             m.toString(Value::number(field(m, self, "y"))) + ", " +
                             m.toString(Value::number(field(m, self, "z"))) + ")");
    });
    auto xyz = [](Machine& m, const Value& v) {
        return std::array<double, 3>{field(m, v, "x"), field(m, v, "y"), field(m, v, "z")};
    };
    m.defineAccessor(vector, "length", [xyz](Machine& m, const Value& self, std::span<const Value>) {
        auto [x, y, z] = xyz(m, self);
        return Value::number(std::sqrt(x * x + y * y + z * z));
    });
    method(m, vector, "clone", [](Machine& m, const Value& self, std::span<const Value>) {
        return makeGeom(m, "flash.geom::Vector3D", {field(m, self, "x"), field(m, self, "y"), field(m, self, "z"), field(m, self, "w")});
    });
    method(m, vector, "dotProduct", [xyz](Machine& m, const Value& self, std::span<const Value> args) {
        auto a = xyz(m, self), b = xyz(m, argAt(args, 0));
        return Value::number(a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
    });
    for (int sign : {1, -1})
        method(m, vector, sign > 0 ? "add" : "subtract", [xyz, sign](Machine& m, const Value& self, std::span<const Value> args) {
            auto a = xyz(m, self), b = xyz(m, argAt(args, 0));
            return makeGeom(m, "flash.geom::Vector3D", {a[0] + sign * b[0], a[1] + sign * b[1], a[2] + sign * b[2]});
        });
}

constexpr const char* kColorFields[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                        "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};

void installColorTransform(Machine& m) {
    ClassObject* color = defineNumberClass(
        m, "flash.geom", "ColorTransform",
        {kColorFields[0], kColorFields[1], kColorFields[2], kColorFields[3], kColorFields[4], kColorFields[5], kColorFields[6], kColorFields[7]},
        {1, 1, 1, 1, 0, 0, 0, 0});
    std::vector<std::pair<const char*, const char*>> parts;
    for (const char* name : kColorFields) parts.emplace_back(name, name);
    defineToString(m, color, parts);
    m.defineAccessor(color, "color", [](Machine& m, const Value& self, std::span<const Value>) {
        auto channel = [&](const char* name) { return static_cast<uint32_t>(toInt32(field(m, self, name))) & 0xFF; };
        return Value::number(channel("redOffset") << 16 | channel("greenOffset") << 8 | channel("blueOffset"));
    }, [](Machine& m, const Value& self, std::span<const Value> args) {
        uint32_t rgb = m.toUint(argAt(args, 0));
        for (int i = 0; i < 3; ++i) setField(m, self, kColorFields[i], 0);
        setField(m, self, "redOffset", rgb >> 16 & 0xFF);
        setField(m, self, "greenOffset", rgb >> 8 & 0xFF);
        setField(m, self, "blueOffset", rgb & 0xFF);
        return Value();
    });
    method(m, color, "concat", [](Machine& m, const Value& self, std::span<const Value> args) {
        Value second = argAt(args, 0);
        for (int i = 0; i < 4; ++i) {
            double multiplier = field(m, self, kColorFields[i]);
            setField(m, self, kColorFields[i + 4], field(m, self, kColorFields[i + 4]) + field(m, second, kColorFields[i + 4]) * multiplier);
            setField(m, self, kColorFields[i], multiplier * field(m, second, kColorFields[i]));
        }
        return Value();
    });
}

}  // namespace

ColorTransform colorTransformOf(Machine& m, const Value& v) {
    double f[8];
    for (int i = 0; i < 8; ++i) f[i] = field(m, v, kColorFields[i]);
    auto mul = [](double x) { return static_cast<int32_t>(std::clamp(x, -128.0, 128.0) * 256); };
    auto add = [](double x) { return static_cast<int32_t>(std::clamp(x, -512.0, 512.0)); };
    return ColorTransform{mul(f[0]), mul(f[1]), mul(f[2]), mul(f[3]), add(f[4]), add(f[5]), add(f[6]), add(f[7])};
}

Value newColorTransform(Machine& m, const ColorTransform& c) {
    return makeGeom(m, "flash.geom::ColorTransform", {c.rMul / 256.0, c.gMul / 256.0, c.bMul / 256.0, c.aMul / 256.0,
                                                       static_cast<double>(c.rAdd), static_cast<double>(c.gAdd),
                                                       static_cast<double>(c.bAdd), static_cast<double>(c.aAdd)});
}

void installGeomClasses(Machine& m) {
    installPoint(m);
    installRectangle(m);
    installMatrix(m);
    installVector3D(m);
    installColorTransform(m);
}

}  // namespace swf::avm2
