#include "swf/abc/Verifier.h"

#include <vector>

#include "swf/abc/Instruction.h"
#include "swf/abc/Opcode.h"

namespace swf::abc {
namespace {

struct State {
    int32_t stack = -1;  // -1: not reached yet
    int32_t scope = 0;
};

struct Effect {
    int pop = 0;
    int push = 0;
    int scopePop = 0;
    int scopePush = 0;
};

class Check {
  public:
    Check(const AbcFile& file, const MethodBody& body, std::string& error)
        : file_(file), body_(body), code_(body.code), error_(error) {}

    bool run() {
        const Method& method = file_.methods[body_.method];
        size_t needed = method.parameterTypes.size() + 1 +
                        ((method.flags & (kNeedRest | kNeedArguments)) ? 1 : 0);
        if (body_.localCount < needed)
            return fail("Error #1107: The ABC data is corrupt, attempt to read out of bounds.");
        if (body_.maxScopeDepth < body_.initScopeDepth)
            return fail("Error #1107: The ABC data is corrupt, attempt to read out of bounds.");
        if (code_.empty() || code_.size() > Verifier::kMaxCodeBytes)
            return fail("Error #1020: Code cannot fall off the end of a method.");
        states_.assign(code_.size(), State{});
        interior_.assign(code_.size(), false);
        for (const ExceptionHandler& e : body_.exceptions) {
            if (e.from > e.to || e.to > code_.size() || e.target >= code_.size())
                return fail("Error #1054: Illegal range or target offsets in exception handler.");
            if (!multiname(e.type) || !multiname(e.variable)) return false;
        }
        if (!reach(0, {0, 0})) return false;
        for (const ExceptionHandler& e : body_.exceptions)
            if (!reach(e.target, {1, 0})) return false;
        while (!work_.empty()) {
            size_t pc = work_.back();
            work_.pop_back();
            if (!step(pc)) return false;
        }
        for (size_t pc = 0; pc < code_.size(); ++pc)
            if (interior_[pc] && states_[pc].stack >= 0)
                return fail("Error #1021: At least one branch target was not on a valid instruction in the method.");
        return true;
    }

  private:
    bool fail(const std::string& message) {
        error_ = "VerifyError: " + message;
        return false;
    }

    bool index(uint32_t i, size_t size) {
        if (i < size) return true;
        return fail("Error #1032: Cpool index " + std::to_string(i) + " is out of range " +
                    std::to_string(size) + ".");
    }

    bool multiname(uint32_t i) { return index(i, file_.multinames.size()); }

    int runtimeParts(uint32_t i) { return file_.multinames[i].runtimeParts(); }

    bool reach(int64_t target, State state) {
        if (target < 0 || target >= static_cast<int64_t>(code_.size()))
            return fail("Error #1021: At least one branch target was not on a valid instruction in the method.");
        State& known = states_[static_cast<size_t>(target)];
        if (known.stack < 0) {
            known = state;
            work_.push_back(static_cast<size_t>(target));
            return true;
        }
        if (known.stack != state.stack)
            return fail("Error #1030: Stack depth is unbalanced. " + std::to_string(known.stack) +
                        " != " + std::to_string(state.stack) + ".");
        if (known.scope != state.scope)
            return fail("Error #1031: Scope depth is unbalanced. " + std::to_string(known.scope) +
                        " != " + std::to_string(state.scope) + ".");
        return true;
    }

    bool reg(uint32_t r) {
        if (r < body_.localCount) return true;
        return fail("Error #1025: An invalid register " + std::to_string(r) + " was accessed.");
    }

    // The stack and scope effect of `in`, after checking its operands.
    bool effect(const Instruction& in, Effect& e) {
        const uint32_t a = in.a, b = in.b;
        switch (in.op) {
            case OP_getsuper:
                if (!multiname(a)) return false;
                e = {1 + runtimeParts(a), 1};
                return true;
            case OP_setsuper:
                if (!multiname(a)) return false;
                e = {2 + runtimeParts(a), 0};
                return true;
            case OP_dxns: return index(a, file_.strings.size());
            case OP_dxnslate: e = {1, 0}; return true;
            case OP_kill: return reg(a);
            case OP_ifnlt: case OP_ifnle: case OP_ifngt: case OP_ifnge: case OP_ifeq:
            case OP_ifne: case OP_iflt: case OP_ifle: case OP_ifgt: case OP_ifge:
            case OP_ifstricteq: case OP_ifstrictne:
                e = {2, 0};
                return true;
            case OP_iftrue: case OP_iffalse: case OP_lookupswitch: case OP_pop: case OP_throw:
            case OP_returnvalue:
                e = {1, 0};
                return true;
            case OP_pushwith: case OP_pushscope: e = {1, 0, 0, 1}; return true;
            case OP_popscope: e = {0, 0, 1, 0}; return true;
            case OP_nextname: case OP_nextvalue: case OP_hasnext: case OP_add: case OP_subtract:
            case OP_multiply: case OP_divide: case OP_modulo: case OP_lshift: case OP_rshift:
            case OP_urshift: case OP_bitand: case OP_bitor: case OP_bitxor: case OP_equals:
            case OP_strictequals: case OP_lessthan: case OP_lessequals: case OP_greaterthan:
            case OP_greaterequals: case OP_instanceof: case OP_istypelate: case OP_in:
            case OP_add_i: case OP_subtract_i: case OP_multiply_i: case OP_astypelate:
                e = {2, 1};
                return true;
            case OP_pushnull: case OP_pushundefined: case OP_pushbyte: case OP_pushtrue:
            case OP_pushfalse: case OP_pushnan: case OP_newactivation: case OP_getglobalscope:
                e = {0, 1};
                return true;
            case OP_pushshort: e = {0, 1}; return true;
            case OP_pushstring: e = {0, 1}; return index(a, file_.strings.size());
            case OP_pushint: e = {0, 1}; return index(a, file_.ints.size());
            case OP_pushuint: e = {0, 1}; return index(a, file_.uints.size());
            case OP_pushdouble: e = {0, 1}; return index(a, file_.doubles.size());
            case OP_pushnamespace: e = {0, 1}; return index(a, file_.namespaces.size());
            case OP_dup: e = {1, 2}; return true;
            case OP_swap: e = {2, 2}; return true;
            case OP_hasnext2:
                e = {0, 1};
                return reg(a) && reg(b);
            case OP_li8: case OP_li16: case OP_li32: case OP_lf32: case OP_lf64: case OP_sxi1:
            case OP_sxi8: case OP_sxi16: case OP_convert_s: case OP_esc_xelem: case OP_esc_xattr:
            case OP_convert_i: case OP_convert_u: case OP_convert_d: case OP_convert_b:
            case OP_convert_o: case OP_checkfilter: case OP_coerce_b: case OP_coerce_a:
            case OP_coerce_i: case OP_coerce_d: case OP_coerce_s: case OP_coerce_u:
            case OP_coerce_o: case OP_negate: case OP_increment: case OP_decrement:
            case OP_typeof: case OP_not: case OP_bitnot: case OP_increment_i:
            case OP_decrement_i: case OP_negate_i:
                e = {1, 1};
                return true;
            case OP_si8: case OP_si16: case OP_si32: case OP_sf32: case OP_sf64: e = {2, 0}; return true;
            case OP_newfunction: e = {0, 1}; return index(a, file_.methods.size());
            case OP_call: e = {static_cast<int>(a) + 2, 1}; return args(a);
            case OP_construct: e = {static_cast<int>(a) + 1, 1}; return args(a);
            case OP_constructsuper: e = {static_cast<int>(a) + 1, 0}; return args(a);
            case OP_callmethod: case OP_callstatic:
                e = {static_cast<int>(b) + 1, 1};
                return args(b) && (in.op == OP_callmethod || index(a, file_.methods.size()));
            case OP_callsuper: case OP_callproperty: case OP_callproplex: case OP_constructprop:
                if (!multiname(a) || !args(b)) return false;
                e = {static_cast<int>(b) + 1 + runtimeParts(a), 1};
                return true;
            case OP_callsupervoid: case OP_callpropvoid:
                if (!multiname(a) || !args(b)) return false;
                e = {static_cast<int>(b) + 1 + runtimeParts(a), 0};
                return true;
            case OP_returnvoid: return true;
            case OP_applytype: e = {static_cast<int>(a) + 1, 1}; return args(a);
            case OP_newobject:
                if (a > body_.maxStack) return fail("Error #1024: Stack underflow occurred.");
                e = {static_cast<int>(a) * 2, 1};
                return true;
            case OP_newarray: e = {static_cast<int>(a), 1}; return args(a);
            case OP_newclass: e = {1, 1}; return index(a, file_.classes.size());
            case OP_getdescendants:
                if (!multiname(a)) return false;
                e = {1 + runtimeParts(a), 1};
                return true;
            case OP_newcatch: e = {0, 1}; return index(a, body_.exceptions.size());
            case OP_findpropstrict: case OP_findproperty:
                if (!multiname(a)) return false;
                e = {runtimeParts(a), 1};
                return true;
            case OP_finddef: case OP_getlex:
                if (!multiname(a)) return false;
                if (runtimeParts(a) != 0) return fail("Error #1078: Illegal opcode/multiname combination.");
                e = {0, 1};
                return true;
            case OP_setproperty: case OP_initproperty:
                if (!multiname(a)) return false;
                e = {2 + runtimeParts(a), 0};
                return true;
            case OP_getproperty: case OP_deleteproperty:
                if (!multiname(a)) return false;
                e = {1 + runtimeParts(a), 1};
                return true;
            case OP_getlocal: e = {0, 1}; return reg(a);
            case OP_setlocal: e = {1, 0}; return reg(a);
            case OP_getlocal0: case OP_getlocal1: case OP_getlocal2: case OP_getlocal3:
                e = {0, 1};
                return reg(in.op - OP_getlocal0);
            case OP_setlocal0: case OP_setlocal1: case OP_setlocal2: case OP_setlocal3:
                e = {1, 0};
                return reg(in.op - OP_setlocal0);
            case OP_inclocal: case OP_declocal: case OP_inclocal_i: case OP_declocal_i: return reg(a);
            case OP_getscopeobject:
                e = {0, 1};
                scopeIndex_ = a;
                return true;
            case OP_getouterscope: e = {0, 1}; return true;
            case OP_getslot: e = {1, 1}; return true;
            case OP_setslot: e = {2, 0}; return true;
            case OP_getglobalslot: e = {0, 1}; return true;
            case OP_setglobalslot: e = {1, 0}; return true;
            case OP_coerce: case OP_astype: case OP_istype:
                e = {1, 1};
                return multiname(a);
            case OP_debug: return index(a, file_.strings.size());
            case OP_debugfile: return index(a, file_.strings.size());
            case OP_bkpt: case OP_nop: case OP_label: case OP_debugline: case OP_bkptline:
            case OP_timestamp: case OP_jump:
                return true;
            default:
                return fail("Error #1011: Method contained illegal opcode " + std::to_string(in.op) +
                            " at offset " + std::to_string(in.start) + ".");
        }
    }

    bool args(uint32_t count) {
        if (count <= body_.maxStack) return true;
        return fail("Error #1024: Stack underflow occurred.");
    }

    bool step(size_t pc) {
        State state = states_[pc];
        Instruction in;
        if (!decodeInstruction(code_, pc, in)) {
            if (operandsOf(code_[pc]) == Operands::Invalid)
                return fail("Error #1011: Method contained illegal opcode " +
                            std::to_string(code_[pc]) + " at offset " + std::to_string(pc) + ".");
            return fail("Error #1020: Code cannot fall off the end of a method.");
        }
        for (size_t i = pc + 1; i < in.next; ++i) interior_[i] = true;
        Effect e;
        scopeIndex_ = -1;
        if (!effect(in, e)) return false;
        if (scopeIndex_ >= 0 && scopeIndex_ >= state.scope)
            return fail("Error #1019: Getscopeobject " + std::to_string(scopeIndex_) +
                        " is out of bounds.");
        if (state.stack < e.pop) return fail("Error #1024: Stack underflow occurred.");
        state.stack = state.stack - e.pop + e.push;
        if (state.stack > static_cast<int64_t>(body_.maxStack))
            return fail("Error #1023: Stack overflow occurred.");
        if (state.scope < e.scopePop) return fail("Error #1018: Scope stack underflow occurred.");
        state.scope = state.scope - e.scopePop + e.scopePush;
        if (state.scope > static_cast<int64_t>(body_.maxScopeDepth - body_.initScopeDepth))
            return fail("Error #1017: Scope stack overflow occurred.");
        switch (in.op) {
            case OP_returnvoid: case OP_returnvalue: case OP_throw: return true;
            case OP_jump: return reach(in.branchTarget(), state);
            case OP_lookupswitch:
                for (int64_t c = -1; c <= static_cast<int64_t>(in.b); ++c)
                    if (!reach(switchTarget(code_, in, c), state)) return false;
                return true;
            default: break;
        }
        if (operandsOf(in.op) == Operands::S24 && !reach(in.branchTarget(), state)) return false;
        if (in.next >= code_.size()) return fail("Error #1020: Code cannot fall off the end of a method.");
        return reach(static_cast<int64_t>(in.next), state);
    }

    const AbcFile& file_;
    const MethodBody& body_;
    std::span<const uint8_t> code_;
    std::string& error_;
    std::vector<State> states_;
    std::vector<bool> interior_;
    std::vector<size_t> work_;
    int64_t scopeIndex_ = -1;
};

}  // namespace

bool Verifier::verify(const AbcFile& file, const MethodBody& body, std::string& error) {
    if (body.method >= file.methods.size()) {
        error = "VerifyError: Error #1107: The ABC data is corrupt, attempt to read out of bounds.";
        return false;
    }
    return Check(file, body, error).run();
}

}  // namespace swf::abc
