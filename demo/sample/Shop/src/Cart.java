package shop;

/** A shopping cart that sums its items. */
public class Cart {
    private final java.util.List<Integer> prices = new java.util.ArrayList<>();

    public void add(int price) {
        if (price < 0) throw new IllegalArgumentException("negative price");
        prices.add(price);
    }

    public int total() {
        int sum = 0;
        for (int p : prices) sum += p;
        return sum;
    }
}
