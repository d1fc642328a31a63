// The node operations behind std::map, std::set and std::list, which the
// C++ library keeps in its prebuilt archive: a red-black tree whose header
// node holds the root (parent), the leftmost (left) and rightmost (right)
// nodes, and a doubly linked ring.
#include <list>
#include <map>

namespace std {
namespace {

using Node = _Rb_tree_node_base;

Node* Minimum(Node* x) {
    while (x->_M_left) x = x->_M_left;
    return x;
}

Node* Maximum(Node* x) {
    while (x->_M_right) x = x->_M_right;
    return x;
}

void RotateLeft(Node* x, Node*& root) {
    Node* y = x->_M_right;
    x->_M_right = y->_M_left;
    if (y->_M_left) y->_M_left->_M_parent = x;
    y->_M_parent = x->_M_parent;
    if (x == root) root = y;
    else if (x == x->_M_parent->_M_left) x->_M_parent->_M_left = y;
    else x->_M_parent->_M_right = y;
    y->_M_left = x;
    x->_M_parent = y;
}

void RotateRight(Node* x, Node*& root) {
    Node* y = x->_M_left;
    x->_M_left = y->_M_right;
    if (y->_M_right) y->_M_right->_M_parent = x;
    y->_M_parent = x->_M_parent;
    if (x == root) root = y;
    else if (x == x->_M_parent->_M_right) x->_M_parent->_M_right = y;
    else x->_M_parent->_M_left = y;
    y->_M_right = x;
    x->_M_parent = y;
}

bool Black(const Node* x) { return !x || x->_M_color == _S_black; }

}  // namespace

_Rb_tree_node_base* _Rb_tree_increment(_Rb_tree_node_base* x) throw() {
    if (x->_M_right) return Minimum(x->_M_right);
    Node* y = x->_M_parent;
    while (x == y->_M_right) {
        x = y;
        y = y->_M_parent;
    }
    // From the rightmost node of a tree whose root is that node, y has
    // climbed to the header and back: the header is the end.
    return x->_M_right != y ? y : x;
}

const _Rb_tree_node_base* _Rb_tree_increment(const _Rb_tree_node_base* x) throw() {
    return _Rb_tree_increment(const_cast<Node*>(x));
}

_Rb_tree_node_base* _Rb_tree_decrement(_Rb_tree_node_base* x) throw() {
    // The header (red, its parent's parent itself): back to the rightmost.
    if (x->_M_color == _S_red && x->_M_parent->_M_parent == x) return x->_M_right;
    if (x->_M_left) return Maximum(x->_M_left);
    Node* y = x->_M_parent;
    while (x == y->_M_left) {
        x = y;
        y = y->_M_parent;
    }
    return y;
}

const _Rb_tree_node_base* _Rb_tree_decrement(const _Rb_tree_node_base* x) throw() {
    return _Rb_tree_decrement(const_cast<Node*>(x));
}

void _Rb_tree_insert_and_rebalance(const bool insertLeft, _Rb_tree_node_base* x, _Rb_tree_node_base* p,
                                   _Rb_tree_node_base& header) throw() {
    Node*& root = header._M_parent;
    x->_M_parent = p;
    x->_M_left = nullptr;
    x->_M_right = nullptr;
    x->_M_color = _S_red;
    if (insertLeft) {
        p->_M_left = x;  // the header's left too when the tree was empty
        if (p == &header) {
            header._M_parent = x;
            header._M_right = x;
        } else if (p == header._M_left) {
            header._M_left = x;
        }
    } else {
        p->_M_right = x;
        if (p == header._M_right) header._M_right = x;
    }
    while (x != root && x->_M_parent->_M_color == _S_red) {
        Node* grand = x->_M_parent->_M_parent;
        if (x->_M_parent == grand->_M_left) {
            Node* uncle = grand->_M_right;
            if (!Black(uncle)) {
                x->_M_parent->_M_color = _S_black;
                uncle->_M_color = _S_black;
                grand->_M_color = _S_red;
                x = grand;
            } else {
                if (x == x->_M_parent->_M_right) {
                    x = x->_M_parent;
                    RotateLeft(x, root);
                }
                x->_M_parent->_M_color = _S_black;
                grand->_M_color = _S_red;
                RotateRight(grand, root);
            }
        } else {
            Node* uncle = grand->_M_left;
            if (!Black(uncle)) {
                x->_M_parent->_M_color = _S_black;
                uncle->_M_color = _S_black;
                grand->_M_color = _S_red;
                x = grand;
            } else {
                if (x == x->_M_parent->_M_left) {
                    x = x->_M_parent;
                    RotateRight(x, root);
                }
                x->_M_parent->_M_color = _S_black;
                grand->_M_color = _S_red;
                RotateLeft(grand, root);
            }
        }
    }
    root->_M_color = _S_black;
}

_Rb_tree_node_base* _Rb_tree_rebalance_for_erase(_Rb_tree_node_base* const z, _Rb_tree_node_base& header) throw() {
    Node*& root = header._M_parent;
    Node*& leftmost = header._M_left;
    Node*& rightmost = header._M_right;
    Node* y = z;
    Node* x = nullptr;
    Node* xParent = nullptr;
    if (!y->_M_left) {
        x = y->_M_right;
    } else if (!y->_M_right) {
        x = y->_M_left;
    } else {
        // Two children: z's successor takes its place.
        y = Minimum(y->_M_right);
        x = y->_M_right;
    }
    if (y != z) {
        z->_M_left->_M_parent = y;
        y->_M_left = z->_M_left;
        if (y != z->_M_right) {
            xParent = y->_M_parent;
            if (x) x->_M_parent = y->_M_parent;
            y->_M_parent->_M_left = x;
            y->_M_right = z->_M_right;
            z->_M_right->_M_parent = y;
        } else {
            xParent = y;
        }
        if (root == z) root = y;
        else if (z->_M_parent->_M_left == z) z->_M_parent->_M_left = y;
        else z->_M_parent->_M_right = y;
        y->_M_parent = z->_M_parent;
        _Rb_tree_color c = y->_M_color;
        y->_M_color = z->_M_color;
        z->_M_color = c;
        y = z;  // the node that leaves the tree
    } else {
        xParent = y->_M_parent;
        if (x) x->_M_parent = y->_M_parent;
        if (root == z) root = x;
        else if (z->_M_parent->_M_left == z) z->_M_parent->_M_left = x;
        else z->_M_parent->_M_right = x;
        if (leftmost == z) leftmost = z->_M_right ? Minimum(x) : z->_M_parent;
        if (rightmost == z) rightmost = z->_M_left ? Maximum(x) : z->_M_parent;
    }
    if (y->_M_color != _S_red) {
        while (x != root && Black(x)) {
            if (x == xParent->_M_left) {
                Node* w = xParent->_M_right;
                if (!Black(w)) {
                    w->_M_color = _S_black;
                    xParent->_M_color = _S_red;
                    RotateLeft(xParent, root);
                    w = xParent->_M_right;
                }
                if (Black(w->_M_left) && Black(w->_M_right)) {
                    w->_M_color = _S_red;
                    x = xParent;
                    xParent = xParent->_M_parent;
                } else {
                    if (Black(w->_M_right)) {
                        w->_M_left->_M_color = _S_black;
                        w->_M_color = _S_red;
                        RotateRight(w, root);
                        w = xParent->_M_right;
                    }
                    w->_M_color = xParent->_M_color;
                    xParent->_M_color = _S_black;
                    if (w->_M_right) w->_M_right->_M_color = _S_black;
                    RotateLeft(xParent, root);
                    break;
                }
            } else {
                Node* w = xParent->_M_left;
                if (!Black(w)) {
                    w->_M_color = _S_black;
                    xParent->_M_color = _S_red;
                    RotateRight(xParent, root);
                    w = xParent->_M_left;
                }
                if (Black(w->_M_right) && Black(w->_M_left)) {
                    w->_M_color = _S_red;
                    x = xParent;
                    xParent = xParent->_M_parent;
                } else {
                    if (Black(w->_M_left)) {
                        w->_M_right->_M_color = _S_black;
                        w->_M_color = _S_red;
                        RotateLeft(w, root);
                        w = xParent->_M_left;
                    }
                    w->_M_color = xParent->_M_color;
                    xParent->_M_color = _S_black;
                    if (w->_M_left) w->_M_left->_M_color = _S_black;
                    RotateRight(xParent, root);
                    break;
                }
            }
        }
        if (x) x->_M_color = _S_black;
    }
    return y;
}

namespace __detail {

void _List_node_base::swap(_List_node_base& a, _List_node_base& b) noexcept {
    if (a._M_next != &a) {
        if (b._M_next != &b) {
            std::swap(a._M_next, b._M_next);
            std::swap(a._M_prev, b._M_prev);
            a._M_next->_M_prev = a._M_prev->_M_next = &a;
            b._M_next->_M_prev = b._M_prev->_M_next = &b;
        } else {
            b._M_next = a._M_next;
            b._M_prev = a._M_prev;
            b._M_next->_M_prev = b._M_prev->_M_next = &b;
            a._M_next = a._M_prev = &a;
        }
    } else if (b._M_next != &b) {
        a._M_next = b._M_next;
        a._M_prev = b._M_prev;
        a._M_next->_M_prev = a._M_prev->_M_next = &a;
        b._M_next = b._M_prev = &b;
    }
}

// Moves [first, last) in front of this node.
void _List_node_base::_M_transfer(_List_node_base* const first, _List_node_base* const last) noexcept {
    if (this == last) return;
    last->_M_prev->_M_next = this;
    first->_M_prev->_M_next = last;
    this->_M_prev->_M_next = first;
    _List_node_base* before = this->_M_prev;
    this->_M_prev = last->_M_prev;
    last->_M_prev = first->_M_prev;
    first->_M_prev = before;
}

void _List_node_base::_M_reverse() noexcept {
    _List_node_base* n = this;
    do {
        std::swap(n->_M_next, n->_M_prev);
        n = n->_M_prev;  // the old next
    } while (n != this);
}

void _List_node_base::_M_hook(_List_node_base* const position) noexcept {
    this->_M_next = position;
    this->_M_prev = position->_M_prev;
    position->_M_prev->_M_next = this;
    position->_M_prev = this;
}

void _List_node_base::_M_unhook() noexcept {
    _List_node_base* const next = this->_M_next;
    _List_node_base* const prev = this->_M_prev;
    prev->_M_next = next;
    next->_M_prev = prev;
}

}  // namespace __detail
}  // namespace std
